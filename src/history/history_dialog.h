#pragma once

#include <filesystem>
#include <functional>
#include <vector>

#include "history/card_history_view.h"
#include "ui/dialog_controller.h"

namespace orvix {

// The change history dialog: the card's saves newest first, the differences of the point before
// the selected one against the card now, and the restore of that point after a question. It
// never deletes an entry.
class CHistoryDialog : public ui::DialogController {
public:
    // restored runs after a restore wrote the card, so that the main dialog reads it again.
    CHistoryDialog(ui::UiServices& services, std::filesystem::path cardFolder,
                   std::filesystem::path backupFolder, std::function<void()> restored);

    void OnInitDialog() override;
    bool Dispatch(int id, ui::Event event) override;

private:
    void OnEntryChosen(int id);
    void OnRestorePoint(int id);

    // Reads the entries anew and selects the one of that sequence number, if still listed.
    void ShowEntries(int selectSequence);
    // The differences of the selected entry, and whether it can be restored.
    void ShowSelected();
    const HistoryRow* Selected() const;

    ui::UiServices& services_;
    CardHistoryView view_;
    std::function<void()> restored_;
    std::vector<HistoryRow> rows_; // as listed, newest first
};

} // namespace orvix
