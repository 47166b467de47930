#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "calibration/editor_document.h"
#include "settings/setting_store.h"
#include "ui/dialog_controller.h"

namespace orvix {

// The settings data dialog: every setting file of the card at once; OK checks every changed
// setting, then writes the changed files as one, unless another program changed one since.
class CBinaryDialog : public ui::DialogController {
public:
    CBinaryDialog(ui::UiServices& services, EditorDocument& document);

    void OnInitDialog() override;
    bool Dispatch(int id, ui::Event event) override;

private:
    void OnMark(int id);
    void OnRandomChoice(int id);
    void OnHeadSwitch(int id);
    void OnRestore(int id);
    void OnPowerUp(int id);
    void OnAllPowerUps(int id);
    void OnOk(int id);

    void Mark(std::uint32_t bit);
    bool Marked(std::uint32_t bit) const { return (document_.settingsChanged & bit) != 0; }

    // The open sequence: false at the first setting file missing (its message shown).
    bool ReadSettingFiles();
    void ShowRandom(std::uint8_t value);
    void ShowTvMaker(int maker);
    void ReadServoFiles();

    // The save sequence: the first field OK would write whose text is no whole number its file
    // gives back as typed (id 0: none), with its limits; then the files to write, in their fixed
    // order.
    struct RefusedField {
        int id = 0;
        std::int64_t low = 0, high = 0;
    };
    RefusedField FirstRefusedField() const;
    std::vector<CardFileWrite> ChangedFiles() const;
    // Whether OK writes the servo files of the legs or the arms, their own or their walking ones.
    bool ServoFilesWritten(bool arms, bool walking) const;
    // Whether OK makes the walking files a group lacks though the group's are not written: the
    // walking box checked beside the other group's change.
    bool MakesMissingWalkingFiles(bool arms) const;
    bool AbsentAtOpening(const std::string& name) const; // a file OK may write was not there
    std::optional<long long> Number(int id) const; // the whole number in an edit, if it is one
    static std::vector<std::string> WrittenFileNames();

    ui::UiServices& services_;
    EditorDocument& document_;
    bool controlsReady_ = false;
    bool armServoFiles_ = false; // servo\SV16_ON.BIN was there at opening
    FilesAsRead asRead_;         // every file OK may write, as it was at opening
};

} // namespace orvix
