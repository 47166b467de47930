#include "resources/names.h"

#include <array>

#include "resources/translation.h"

namespace orvix {

namespace {

// The Japanese names of the dialogs' own controls are their documented texts (and their English
// the catalogue's); a name no control shows is made of them ("タイムアウト(立ち姿勢時)").
constexpr ShownName kNames[] = {
    {kArea, "calibration", "サーボ値", "Servo values"},
    {kArea, "options", "プログラム", "Program"},
    {kArea, "remote", "リモコン", "Remote"},
    {kArea, "settings", "設定データ", "Settings"},
    {kArea, "users", "ユーザ", "Users"},
    {kArea, "bytes", "その他のバイト", "Other bytes"},

    {kServoArea, "ID2", "ID2(股横回転)", "ID2 hip roll"},
    {kServoArea, "ID3", "ID3(股縦回転)", "ID3 hip pitch"},
    {kServoArea, "ID4", "ID4(ヒザ)", "ID4 knee"},
    {kServoArea, "ID5", "ID5(足首縦回転)", "ID5 ankle P"},
    {kServoArea, "ID6", "ID6(足首横回転)", "ID6 ankle R"},
    {kServoArea, "ID7", "ID7(股横回転)", "ID7 hip roll"},
    {kServoArea, "ID8", "ID8(股縦回転)", "ID8 hip pitch"},
    {kServoArea, "ID9", "ID9(ヒザ)", "ID9 knee"},
    {kServoArea, "ID10", "ID10(足首縦回転)", "ID10 ankle P"},
    {kServoArea, "ID11", "ID11(足首横回転)", "ID11 ankle R"},
    {kServoArea, "ID12", "ID12(腰旋回)", "ID12 waist"},
    {kServoArea, "ID13", "ID13(首旋回)", "ID13 neck"},
    {kServoArea, "ID14", "ID14(横回転)", "ID14 tilt"},
    {kServoArea, "ID15", "ID15(縦回転)", "ID15 nod"},
    {kServoArea, "ID16", "ID16(肩縦回転)", "ID16 shoulder P"},
    {kServoArea, "ID17", "ID17(肩横回転)", "ID17 shoulder R"},
    {kServoArea, "ID18", "ID18(ヒジ)", "ID18 elbow"},
    {kServoArea, "ID19", "ID19(肩縦回転)", "ID19 shoulder P"},
    {kServoArea, "ID20", "ID20(肩横回転)", "ID20 shoulder R"},
    {kServoArea, "ID21", "ID21(ヒジ)", "ID21 elbow"},
    {kServoArea, "attenuator", "アッテネータ", "Attenuator"},

    // Left and right as seen from the robot, as the main dialog's note says.
    {kSideArea, "ID2", "右足", "right leg"},
    {kSideArea, "ID3", "右足", "right leg"},
    {kSideArea, "ID4", "右足", "right leg"},
    {kSideArea, "ID5", "右足", "right leg"},
    {kSideArea, "ID6", "右足", "right leg"},
    {kSideArea, "ID7", "左足", "left leg"},
    {kSideArea, "ID8", "左足", "left leg"},
    {kSideArea, "ID9", "左足", "left leg"},
    {kSideArea, "ID10", "左足", "left leg"},
    {kSideArea, "ID11", "左足", "left leg"},
    {kSideArea, "ID12", "上半身", "body"},
    {kSideArea, "ID13", "頭", "head"},
    {kSideArea, "ID14", "頭", "head"},
    {kSideArea, "ID15", "頭", "head"},
    {kSideArea, "ID16", "右手", "right arm"},
    {kSideArea, "ID17", "右手", "right arm"},
    {kSideArea, "ID18", "右手", "right arm"},
    {kSideArea, "ID19", "左手", "left arm"},
    {kSideArea, "ID20", "左手", "left arm"},
    {kSideArea, "ID21", "左手", "left arm"},

    {kTableArea, "origin", "原点", "origin"},
    {kTableArea, "lower", "下限", "lower"},
    {kTableArea, "upper", "上限", "upper"},

    {kOptionArea, "torqueOn", "サーボトルク", "Servo torque"},
    {kOptionArea, "voiceRecognition", "音声認識", "Voice recognition"},
    {kOptionArea, "voltageMonitor", "電圧監視", "Voltage check"},
    {kOptionArea, "timeoutMonitor", "タイムアウト監視", "Timeout check"},
    {kOptionArea, "faceRecognition", "アイドリング時の顔認識", "Face recognition when idle"},
    {kOptionArea, "faceDirection", "アイドリング時の顔の向き制御", "Face tracking when idle"},
    {kOptionArea, "standardColour", "目の色 橙色(標準)", "Eye colour standard"},
    {kOptionArea, "energySaving", "省エネ(輝度減)", "Energy saving (dim)"},
    {kOptionArea, "noBlink", "点滅なし", "No blinking"},
    {kOptionArea, "armAngleChange", "アイドリング腕角度変更", "Idle arm angle"},
    {kOptionArea, "armAngleFixed", "アイドリング腕角度変更(変更済)", "Idle arm angle (made)"},
    {kOptionArea, "shoulderLimit", "肩サーボ角度制限", "Shoulder limit"},
    {kOptionArea, "shoulderLimitFixed", "肩サーボ角度制限(変更済)", "Shoulder limit (made)"},
    {kOptionArea, "walkSteps", "歩行歩数", "Walking steps"},
    {kOptionArea, "servoParameters", "サーボパラメーター設定", "Servo parameters"},
    {kOptionArea, "servoParametersAvailable", "サーボパラメーター設定(可能)",
     "Servo parameters (possible)"},
    {kOptionArea, "eyeColour first", "目の色(1色目)", "Eye colour (first)"},
    {kOptionArea, "eyeColour second", "目の色(2色目)", "Eye colour (second)"},
    {kOptionArea, "layout", "レイアウト", "Layout"},
    {kOptionArea, "size", "サイズ", "Size"},

    {kRemoteArea, "remoteSupport", "リモート対応", "Remote support"},
    {kRemoteArea, "remoteSupportFixed", "リモート対応(変更済)", "Remote support (made)"},
    {kRemoteArea, "bluetooth", "Bluetooth", "Bluetooth"},
    {kRemoteArea, "bluetoothChangeable", "Bluetooth(変更可)", "Bluetooth (changeable)"},
    {kRemoteArea, "remoteConnection", "リモート接続", "Remote link"},
    {kRemoteArea, "voicePlayback", "音声再生", "Voice playback"},
    {kRemoteArea, "syncReceive", "同期受信", "Sync receive"},
    {kRemoteArea, "startCode", "開始コード", "Start code"},
    {kRemoteArea, "syncStartDelay", "同期開始遅延", "Sync delay"},

    {kSettingArea, "initialised", "初期化済", "Initialised"},
    {kSettingArea, "birthday", "ペチ誕生日", "Birthday"},
    {kSettingArea, "ignoreBoardError", "ボード確認エラー無視", "Ignore board check errors"},
    {kSettingArea, "ignoreUserWarning", "ユーザ未登録警告無視", "Ignore no-user warning"},
    {kSettingArea, "random", "ランダム", "Random"},
    {kSettingArea, "volume", "ペチ音量", "Volume"},
    {kSettingArea, "tvMaker", "テレビリモコン", "TV remote"},
    {kSettingArea, "headSwitch", "頭スイッチ有効(アイドリング時)", "Head switch on (when idle)"},
    {kSettingArea, "timeoutStand", "タイムアウト(立ち姿勢時)", "Timeout (standing)"},
    {kSettingArea, "timeoutSit", "タイムアウト(座り姿勢時)", "Timeout (sitting)"},
    {kSettingArea, "timeoutCharge", "タイムアウト(充電椅子時)", "Timeout (on charger)"},
    {kSettingArea, "vbatFirmware", "ファーム監視", "Firmware check"},
    {kSettingArea, "vbatHigh", "高電圧しきい値", "High threshold"},
    {kSettingArea, "vbatLow", "低電圧しきい値", "Low threshold"},
    {kSettingArea, "vbatStop", "停止電圧しきい値", "Stop threshold"},
    {kSettingArea, "wakeUp", "起動日時", "Started"},
    {kSettingArea, "servoLegs", "サーボパラメーター(足)", "Servo parameters (legs)"},
    {kSettingArea, "servoArms", "サーボパラメーター(手)", "Servo parameters (arms)"},
    {kSettingArea, "powerUps", "QRコード読込", "QR codes read"},
    {kSettingArea, "powerUpFlags", "QRコード読込(ビット)", "QR codes read (bits)"},

    {kUserArea, "user", "ユーザ%1", "User %1"},
    {kUserArea, "number", "番号", "No."},
    {kUserArea, "inUse", "使用状況", "In use"},
    {kUserArea, "nameIndex", "名前の位置", "Name index"},
    {kUserArea, "nameNumber", "名前番号", "Name no."},
    {kUserArea, "name", "名前", "Name"},
    {kUserArea, "birthday", "誕生日", "Birthday"},
    {kUserArea, "anniversary", "結婚記念日", "Anniversary"},
    {kUserArea, "specialDay", "特別な日", "Special day"},
    {kUserArea, "lessonDays", "習い事の日", "Lesson days"},
    {kUserArea, "garbageDays", "ゴミの日", "Rubbish days"},

    {kValueArea, "", "(なし)", "(none)"},
    {kValueArea, "on", "オン", "on"},
    {kValueArea, "off", "オフ", "off"},
    {kValueArea, "true", "オン", "on"},
    {kValueArea, "false", "オフ", "off"},
    {kValueArea, "yes", "使用中", "in use"},
    {kValueArea, "free", "空き", "free"},
    {kValueArea, "absent", "ファイルなし", "no file"},
    {kValueArea, "variable", "可変値", "varies"},
    {kValueArea, "unreadable", "読めない値", "unreadable"},
    {kValueArea, "0", "日", "Sun"}, // the weekdays of the day lists, Sunday first
    {kValueArea, "1", "月", "Mon"},
    {kValueArea, "2", "火", "Tue"},
    {kValueArea, "3", "水", "Wed"},
    {kValueArea, "4", "木", "Thu"},
    {kValueArea, "5", "金", "Fri"},
    {kValueArea, "6", "土", "Sat"},
};

std::string_view InLanguage(const ShownName& name) {
    return InterfaceLanguage() == Language::English ? name.english : name.japanese;
}

std::string Stem(std::string_view name) {
    const auto slash = name.rfind('\\');
    std::string stem(name.substr(slash == std::string_view::npos ? 0 : slash + 1));
    return stem.substr(0, stem.find('.'));
}

} // namespace

std::span<const ShownName> ShownNames() {
    return kNames;
}

const ShownName* FindName(std::string_view area, std::string_view key) {
    for (const ShownName& name : kNames) {
        if (name.area == area && name.key == key) {
            return &name;
        }
    }
    return nullptr;
}

std::string_view NameOf(std::string_view area, std::string_view key) {
    const ShownName* name = FindName(area, key);
    return name != nullptr ? InLanguage(*name) : key;
}

std::string_view NoValue() {
    return NameOf(kValueArea, "");
}

std::string ServoShownName(std::string_view key) {
    std::string text(NameOf(kSideArea, key));
    text += ' ';
    text += NameOf(kServoArea, key);
    return text;
}

std::string ShownValue(std::string_view area, std::string_view key, std::string_view value) {
    if (value.empty() || value == "[]" || value == "not set" || value == "none" || value == "-") {
        return std::string(NoValue());
    }
    // The day lists: "[0,6]" as the weekdays' names.
    if (area == kUserArea && (key.ends_with("lessonDays") || key.ends_with("garbageDays")) &&
        value.front() == '[' && value.back() == ']') {
        std::string days;
        std::string_view rest = value.substr(1, value.size() - 2);
        while (!rest.empty()) {
            const auto comma = rest.find(',');
            if (!days.empty()) {
                days += ',';
            }
            days += NameOf(kValueArea, rest.substr(0, comma));
            rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
        }
        return days;
    }
    const ShownName* word = FindName(kValueArea, value);
    // Digits alone are numbers, not weekdays.
    if (word == nullptr || (value.size() == 1 && value[0] >= '0' && value[0] <= '9')) {
        return std::string(value);
    }
    return std::string(InLanguage(*word));
}

std::string ShownField(std::string_view area, std::string_view key) {
    if (area == kServoArea) {
        const auto space = key.find(' ');
        if (space == std::string_view::npos) {
            return std::string(NameOf(kServoArea, key));
        }
        std::string text = ServoShownName(key.substr(0, space));
        text += ' ';
        text += NameOf(kTableArea, key.substr(space + 1));
        return text;
    }
    if (area == kUserArea && key.starts_with("user")) {
        const auto space = key.find(' ');
        std::string text(NameOf(kUserArea, "user"));
        const std::string_view number = key.substr(4, space - 4);
        text.replace(text.find("%1"), 2, number);
        if (space != std::string_view::npos) {
            text += ' ';
            text += NameOf(kUserArea, key.substr(space + 1));
        }
        return text;
    }
    if (area == kSettingArea && key.find('\\') != std::string_view::npos) {
        return Stem(key); // a servo parameter file, named by its file
    }
    return std::string(NameOf(area, key));
}

} // namespace orvix
