#include "resources/string_table.h"

#include "resources/translation.h"

#include <algorithm>
#include <array>
#include <utility>

namespace orvix {

namespace {

struct StringEntry {
    int id;
    std::string_view text;
};

// Kept sorted by ID.
constexpr std::array kStrings{
    StringEntry{IDS_ABOUTBOX, "バージョン情報 Orvix(&A)..."},
    StringEntry{IDP_READ_PROGRAM_FAILED, "プロクラムの読込みに失敗しました"},
    StringEntry{IDP_WRONG_SETTING_VALUES, "間違った設定値が書かれています"},
    StringEntry{IDP_WRITE_PROGRAM_FAILED, "プログラムに書出し失敗しました"},
    StringEntry{IDP_NO_NUMBER, "数字が入力されていません"},
    StringEntry{IDP_NOT_DECIMAL, "値は10進数で指定してください"},
    StringEntry{IDP_OUT_OF_RANGE, "数字が範囲(%1)を越えています"},
    StringEntry{IDP_WRITE_PROGRAM_DONE, "プログラムの書出しに成功しました"},
    StringEntry{IDP_RESTORE_ORIGINS,
                "標準の設定値に戻しますか？\n動作テストの場合は実行プログラムの値に変更されます"},
    StringEntry{IDP_REMOVE_RANGE_LIMIT,
                "このチェックを外すと標準値±15°を越えて変更できます。\nペチの範囲を越える事があるの"
                "で変更の際は十分注意してください。\n制限を解除しますか？"},
    StringEntry{IDP_VALUES_CHANGED, "値が変更されています。\nプログラムに書出しますか？\nいいえを答"
                                    "えると変更した値が破棄されます。"},
    StringEntry{IDP_WRONG_PROGRAM, "プログラムが間違っています"},
    StringEntry{IDP_VOLTAGE_WARNING,
                "電圧監視を抑制するとペチが突然倒れたりする事故につながります。\nトルクオフの状態で"
                "動かすなどの処置を講じた上で行ってください。\nなおペチライドや再刊行版以降では起動"
                "プログラムでも電圧監視を行います。本機能はそちらの抑制は行いません。"},
    StringEntry{IDP_RESTORE_RANGES, "サーボの稼働範囲を標準値に戻しますか？\n標準値(±32767)"
                                    "に戻すと稼働範囲は無制限となります。"},
    StringEntry{IDP_WALK_STEPS_RANGE, "設定できる歩行歩数の値は1～9,999です。"},
    StringEntry{IDP_ENABLE_REMOTE, "リモート対応しますか。\n一度リモート対応するとリモート非対応に"
                                   "は戻せません。\nBluetooth対応設定値は変更できます"},
    StringEntry{IDP_CODE_FILE_READ_FAILED,
                "リモート対応プログラム(REMOTE.BIN)の読込に失敗しました。"},
    StringEntry{IDP_BINARY_READ_FAILED, "バイナリファイル[%1]の読込に失敗しました。"},
    StringEntry{IDP_BINARY_WRITE_FAILED, "バイナリファイル[%1]の書込に失敗しました。"},
    StringEntry{IDP_DATA_RANGE_WRONG, "データの範囲が間違っています。"},
    StringEntry{IDP_USER_DATA_WRONG, "ユーザデータ[%1]が間違っています。"},
    StringEntry{IDP_DATE_WRONG,
                "日付の設定が間違っています。\n半角数字で月/日で設定してください。"},
    StringEntry{
        IDP_RESTORE_SETTINGS,
        "設定値を標準に戻しますか？\nなお音量などペチ２で設定されたデータはそのまま保持されます"},
    StringEntry{IDP_PATCH_READ_FAILED, "パッチファイルの読込に失敗しました"},
    StringEntry{
        IDP_PATCH_APPLIED,
        "パッチファイルの適用に成功しました\n[%1]ヶ所にパッチを適用しました\nプログラムの書き出し"},
    StringEntry{IDP_PATCH_FAILED,
                "パッチファイルの適用に失敗しました\nパッチファイルが間違っています\n[%1]"},
    StringEntry{IDP_PATCH_ALREADY_APPLIED, "既にパッチは適用されています"},
    StringEntry{IDP_CHANGE_ARM_ANGLE,
                "アイドリング時の腕の角度を変更しますか。\n一度変更すると元の角度には戻せません。"},
    StringEntry{IDP_PROGRAMS_ADDED, "STARTUP.BINにプログラムが追加されています。\nSTARTUP."
                                    "BINを変更しますか？\nはいを答えるとSTARTUP."
                                    "BINを変更しますが追加されたプログラムは実行できなくなります。"
                                    "再度プログラムを追加してください。"},
    StringEntry{IDP_USE_POWERUP_RANDOM, "チェックしたパワーアップのランダム値に変更しますか？"},
    StringEntry{IDP_CREATE_USER, "新規ユーザを作成しますか?"},
    StringEntry{
        IDP_USER_ADDED,
        "ユーザ番号[%1]を追加しました。\n編集ボタンを押して名前と誕生日を入力してください。"},
    StringEntry{IDP_CHECK_ALL_POWERUPS, "全てのパワーアップにチェックを付けますか？"},
    StringEntry{IDP_UNCHECK_ALL_POWERUPS, "全てのパワーアップのチェックを外しますか？"},
    StringEntry{IDP_HEAD_SWITCH, "アイドリング時に頭のスイッチを押すとペチが独り言を言うようになり"
                                 "ます。\nチェックを外すと元の状態になります。"},
    StringEntry{IDP_FILE_CHANGED_ELSEWHERE,
                "ファイル[%1]は読み込んだ後に他のプログラムで変更されています。\n上書きしますか？\n"
                "いいえを答えると何も書き込みません。"},
    StringEntry{IDP_CARD_BUSY, "カード[%1]は他のプログラムが使用中です。\nしばらくしてからもう一"
                               "度実行してください。"},
    StringEntry{IDP_RESTORE_HISTORY_POINT,
                "カードを[%1]の時点に戻しますか？\n変更される内容は詳細に示します。\n戻す前の状態も"
                "変更履歴に残ります。"},
    StringEntry{IDP_HISTORY_CHANGED_OUTSIDE,
                "ファイル[%1]は最後の保存の後に他のプログラムやペチで変更されています。\n戻すと"
                "その変更が失われるため、戻しませんでした。"},
    StringEntry{IDP_RESTORE_CHANGED_OUTSIDE,
                "ファイル[%1]は最後の保存の後に他のプログラムやペチで変更されています。\n戻すと"
                "その変更が失われます。これらのファイルも戻しますか？"},
    StringEntry{IDP_RESTORE_IMPOSSIBLE, "カードを[%1]の時点に戻せません。"},
    StringEntry{IDP_RESTORE_DONE, "カードを[%1]の時点に戻しました。"},
    StringEntry{IDS_HISTORY, "変更履歴(&H)..."},
    StringEntry{IDP_HISTORY_NO_IMAGE, "プログラムが読み込まれていません。\n変更履歴はカードの"
                                      "STARTUP.BINを読み込んでから開いてください。"},
    StringEntry{IDP_HISTORY_RESTORE,
                "カードのファイル[%1]を選択した保存の前の状態に戻しますか？\n変更される内容は詳細"
                "に示します。戻す前の状態も変更履歴に残ります。\nメイン画面で書き出していない値"
                "は破棄されます。"},
    StringEntry{IDP_HISTORY_ALREADY_AT_POINT,
                "カードはすでに[%1]の時点と同じです。\n何も書き込みませんでした。"},
    StringEntry{IDS_HISTORY_POINT, "%1番の保存の前"},
    StringEntry{IDP_LANGUAGE_AT_RESTART, "表示言語の変更はOrvix2の次回の起動から有効になります。"},
    StringEntry{IDP_LANGUAGE_NOT_SAVED, "設定ファイル[%1]の書込に失敗しました。"},
    StringEntry{IDP_HISTORY_NOT_STARTED, "変更履歴[%1]を記録できないため、書込みを中止しました。"},
    StringEntry{IDP_HISTORY_NOT_FINISHED,
                "書込みは完了しましたが、変更履歴[%1]の記録に失敗しました。"},
    StringEntry{
        IDP_RESTORE_PARTLY_DONE,
        "カードの一部のファイルだけを[%1]の時点に戻しました。\n他のプログラムやペチで変更"
        "されたファイルはそのままです。戻したファイルとそのままのファイルは詳細に示します。"},
    StringEntry{IDS_FAILURE_NOT_FOUND, "ファイルが見つかりません"},
    StringEntry{IDS_FAILURE_NO_PERMISSION,
                "アクセスが拒否されました（権限がないか、読み取り専用です）"},
    StringEntry{IDS_FAILURE_IN_USE, "他のプログラムが使用中です"},
    StringEntry{IDS_FAILURE_NO_SPACE, "ディスクの空き容量が足りません"},
    StringEntry{IDS_FAILURE_INPUT_OUTPUT, "入出力エラー"},
    StringEntry{IDS_FAILURE_NOT_A_FILE, "通常のファイルではありません"},
    StringEntry{IDS_FAILURE_TOO_LARGE, "ファイルが大きすぎます（64 MiBを超えています）"},
    StringEntry{IDS_FAILURE_EXISTS, "同じ名前のファイルがすでにあります"},
    StringEntry{IDS_FAILURE_OTHER, "その他のエラー（コード %1）"},
};

} // namespace

std::string_view LoadString(int id) {
    const auto* found =
        std::lower_bound(kStrings.begin(), kStrings.end(), id,
                         [](const StringEntry& entry, int wanted) { return entry.id < wanted; });
    if (found == kStrings.end() || found->id != id) {
        return {};
    }
    return Translate(found->text);
}

std::string Filled(std::string_view text, std::string_view argument) {
    std::string filled(text);
    const std::string::size_type at = filled.find("%1");
    if (at != std::string::npos) {
        filled.replace(at, 2, argument);
    }
    return filled;
}

std::string MessageText(const ui::MessageRequest& request) {
    return Filled(LoadString(request.messageId), request.argument);
}

} // namespace orvix
