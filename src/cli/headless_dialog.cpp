#include "cli/headless_dialog.h"

#include <algorithm>

namespace orvix::cli {

bool IsWholeNumber(std::string_view text) {
    const std::string_view digits = text.starts_with('-') ? text.substr(1) : text;
    return !digits.empty() &&
           std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool HeadlessDialog::Open(std::unique_ptr<ui::DialogController> controller) {
    controller_ = std::move(controller);
    controller_->Attach(model_);
    controller_->OnInitDialog();
    model_.ProcessPosted();
    return !model_.Ended();
}

void HeadlessDialog::Click(int id) {
    model_.Click(id);
    model_.ProcessPosted();
}

void HeadlessDialog::Type(int id, std::string_view text) {
    model_.Type(id, text);
    model_.ProcessPosted();
}

bool HeadlessDialog::ClickTo(int id, bool checked) {
    if (model_.IsChecked(id) != checked) {
        Click(id);
    }
    return model_.IsChecked(id) == checked;
}

bool HeadlessDialog::Reachable(std::string_view key, int id) {
    if (model_.IsEnabled(id) && model_.IsVisible(id)) {
        return true;
    }
    err_ << "orvix2-cli: " << key << " cannot be changed now\n";
    return false;
}

} // namespace orvix::cli
