target_sources(orvix2_core PRIVATE
    history/card_history_view.cpp
    history/card_meaning_compare.cpp
    history/card_meaning_read.cpp
    history/card_summary.cpp
    history/card_points.cpp
    history/save_description.cpp
)

# The editor's change history dialog.
target_sources(orvix2_core PRIVATE history/history_dialog.cpp)
