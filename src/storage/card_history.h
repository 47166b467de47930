#pragma once

// The history of a card: its entries (history_entry.h), how a save is recorded
// (history_recorder.h), how they are read (history_store.h) and the card at a point
// (history_points.h).

#include "storage/history_entry.h"
#include "storage/history_points.h"
#include "storage/history_recorder.h"
#include "storage/history_store.h"
