target_sources(orvix2_core PRIVATE
    ui/dialog_template.cpp
    ui/dialog_model.cpp
    ui/prompter.cpp
)
