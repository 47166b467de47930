target_sources(orvix2_core PRIVATE
    users/date_dialog.cpp
    users/user_dialog.cpp
    users/user_record.cpp
)
