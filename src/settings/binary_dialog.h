#pragma once

#include <cstdint>
#include <span>

#include "calibration/editor_document.h"
#include "ui/dialog_controller.h"

namespace orvix {

// The settings data dialog: every setting file of the card at once; OK checks every changed
// setting, then writes the changed files in a fixed order.
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

    // The save sequence: the first changed field whose value its bytes cannot hold, or 0.
    int FirstRefusedField() const;
    bool WriteChangedFiles();
    // Writes the value into the setting's file when the setting is marked changed.
    bool WriteSetting(int slot, std::span<const std::uint8_t> value);
    bool WritePowerUps();
    bool WriteServoFiles();
    long long Number(int id) const; // the whole number in an edit; no number reads as 0

    ui::UiServices& services_;
    EditorDocument& document_;
    bool controlsReady_ = false;
    bool armServoFiles_ = false; // servo\SV16_ON.BIN was there at opening
};

} // namespace orvix
