#include "shell/menudefs.h"

#include <iterator>

namespace tavi {

namespace {

using E = TMenuEntry;

constexpr E Sub(const char* name, const char* caption) {
    return {E::Menu, name, caption, "", "", "", false, false, 0};
}
constexpr E End() {
    return {E::End, "", "", "", "", "", false, false, 0};
}
constexpr E Sep() {
    return {E::Separator, "", "", "", "", "", false, false, 0};
}
constexpr E Cmd(const char* name, const char* caption, const char* shortcut,
                const char* button = "", int tag = 0) {
    return {E::Item, name, caption, shortcut, button, "", false, false, tag};
}
constexpr E Check(const char* name, const char* caption, const char* shortcut, bool checked,
                  const char* button = "") {
    return {E::Item, name, caption, shortcut, button, "", true, checked, 0};
}
constexpr E Radio(const char* name, const char* caption, const char* shortcut, const char* group,
                  bool checked, const char* button = "") {
    return {E::Item, name, caption, shortcut, button, group, true, checked, 0};
}

} // namespace

const std::vector<TMenuEntry>& MainMenuEntries() {
    static const std::vector<TMenuEntry> entries = {
        Sub("MFile", "&Tập tin"),
        Cmd("MFNew", "&Mới", "Ctrl+N", "TFNew"),
        Cmd("MFOpen", "Mở &tập tin...", "Ctrl+O", "TFOpen"),
        Cmd("MFSave", "&Lưu", "Ctrl+S", "TFSave"),
        Cmd("MFSaveAs", "Lưu với tên &khác...", "Ctrl+Y"),
        Cmd("MFInfo", "Thông tin tập t&in", "Ctrl+T", "TFInfo"),
        Sep(),
        Cmd("MFPrinter", "In &văn bản...", "Ctrl+P", "TFPrint"),
        Cmd("MFDBT", "Chương trình chữ nổi &DBT", "Alt+D"),
        Sep(),
        Cmd("MFExit", "T&hoát", "Alt+F4"),
        Cmd("MFShutDown", "Tắt &máy", "Ctrl+Alt+F4"),
        End(),

        Sub("MEdit", "&Soạn thảo"),
        Cmd("MEUndo", "&Hoàn tác", "Ctrl+Z", "TEUndo"),
        Sep(),
        Cmd("MECut", "&Cắt", "Ctrl+X", "TECut"),
        Cmd("MECopy", "C&hép", "Ctrl+C", "TECopy"),
        Cmd("MEPaste", "&Dán", "Ctrl+V", "TEPaste"),
        Sep(),
        Cmd("MESelWord", "Chọn &từ", "Ctrl+W"),
        Cmd("MESelSt", "Chọn c&âu", "Ctrl+L"),
        Cmd("MESelPar", "Chọn đ&oạn", "Ctrl+D"),
        Cmd("MESelAll", "Chọn tất c&ả", "Ctrl+A"),
        Sep(),
        Cmd("MEFind", "&Tìm...", "Ctrl+F", "TEFind"),
        Cmd("MEFindNext", "Tìm t&iếp", "Ctrl+I"),
        Cmd("MEFindRep", "Tha&y thế...", "Ctrl+H"),
        Cmd("MEFindErr", "Tìm lỗi chính tả", "Ctrl+J"),
        End(),

        Sub("MLayout", "T&rình bày"),
        Cmd("MLNormal", "Cỡ chữ &bình thường", "F3"),
        Cmd("MZoomIn", "&Phóng to", "Shift+F3"),
        Cmd("MZoomOut", "&Thu nhỏ", "Alt+Shift+F3"),
        Sep(),
        Radio("MLLeft", "Canh t&rái", "Shift+F4", "Align", true, "TLLeft"),
        Radio("MLCenter", "Canh &giữa", "F4", "Align", false, "TLCenter"),
        Radio("MLRight", "Canh p&hải", "Alt+Shift+F4", "Align", false, "TLRight"),
        End(),

        Sub("MRead", "Đọ&c"),
        Check("MROption", "&Tiếng nói", "F5", true, "TROption"),
        Cmd("MRRead", "Đọc phần đã &chọn", "F8"),
        Cmd("MRReadOn", "Đọc từ con t&rỏ", "Alt+F8"),
        Sub("MREcho", "Đọc &khi gõ"),
        Radio("MRENone", "&Không đọc", "F9", "Echo", false),
        Radio("MREChar", "Đọc từng &ký tự", "Shift+F9", "Echo", true),
        Radio("MREWord", "Đọc từng &từ", "Ctrl+F9", "Echo", false),
        Radio("MRESen", "Đọc từng &câu", "Alt+F9", "Echo", false),
        Radio("MREPar", "Đọc từng &đoạn", "Ctrl+Alt+F9", "Echo", false),
        End(),
        Check("MRCharCtrl", "Đọc ký tự đ&iều khiển", "Ctrl+F8", true),
        Check("MTuongHinh", "Đọc chữ nổi theo &chấm", "Shift+F8", false),
        Sep(),
        Radio("MVietNam", "Giọng tiếng &Việt", "Alt+Shift+V", "Language", true),
        Radio("MEnglish", "Giọng tiếng &Anh", "Alt+Shift+E", "Language", false),
        Check("MREnglishWords", "Đọc từ tiếng Anh &bằng giọng Anh", "", true),
        Check("MRSayChanges", "Đọc &phần thay đổi", "", true),
        Sep(),
        Cmd("MRVolUp", "Tăng â&m lượng", "F7"),
        Cmd("MRVolDown", "Giảm âm &lượng", "F6"),
        Cmd("MRFaster", "Đọc &nhanh hơn", "Shift+F7"),
        Cmd("MRSlower", "Đọc c&hậm hơn", "Shift+F6"),
        End(),

        Sub("MSettings", "&Hiển thị"),
        Radio("MGTVNI2", "Văn bản &VNI", "F10", "Display", true),
        Radio("MGTGrade1", "Chữ nổi cấp &1", "F11", "Display", false),
        Radio("MGTGrade2", "Chữ nổi cấp &2", "F12", "Display", false),
        Sep(),
        Check("MGToolBar", "&Thanh công cụ", "F2", true),
        End(),

        Sub("MMail", "Th&ư"),
        Cmd("MSetupMail", "&Cài đặt hộp thư...", "Ctrl+E"),
        Cmd("MEmailsend", "&Gửi văn bản qua thư...", "Ctrl+G", "TFMail"),
        Cmd("MEmailView", "&Nhận thư", "Ctrl+U"),
        End(),

        Sub("MHelp", "Trợ &giúp"),
        Cmd("CchSDng1", "&Cách sử dụng", "F1", "", 0),
        Cmd("CchG1", "Cách &gõ tiếng Việt và chữ nổi", "Ctrl+Alt+F1", "", 1),
        Sub("MShortcuts", "&Phím tắt"),
        Cmd("MShortcuthelpAll", "&Tất cả phím tắt", "Ctrl+1", "", 0),
        Cmd("MHelpFile", "Phím tắt &tập tin", "Ctrl+2", "", 1),
        Cmd("MHelpEdit", "Phím tắt &soạn thảo", "Ctrl+3", "", 2),
        Cmd("MhelpLayout", "Phím tắt t&rình bày", "Ctrl+4", "", 3),
        Cmd("MHelpSound", "Phím tắt &âm thanh", "Ctrl+5", "", 4),
        Cmd("MHelMail", "Phím tắt t&hư", "Ctrl+6", "", 5),
        Cmd("MHelpParams", "Phím tắt &hiển thị", "Ctrl+7", "", 6),
        Cmd("MSHDan", "&Hướng dẫn nhanh", "Ctrl+8", "", 7),
        End(),
        Sep(),
        Cmd("MHVBraille", "Bảng &chữ nổi", "Shift+F1"),
        Cmd("MHAbout", "&Giới thiệu Tavi", "Alt+Shift+F1"),
        End(),
    };
    return entries;
}

const std::vector<const char*>& ToolBarButtons() {
    static const std::vector<const char*> buttons = {
        "TFNew",   "TFOpen",   "TFSave",    "TFInfo",      "TFPrint",
        "TFMail",  "",         "TECut",     "TECopy",      "TEPaste",
        "TEUndo",  "TEFind",   "",          "TLLeft",      "TLCenter",
        "TLRight", "",         "TFontBold", "TFontItalic", "TFontUnderLine",
        "",        "TROption", "VolBar"};
    return buttons;
}

const char* ShortcutHelp(int tag) {
    static const char* const help[] = {"zzzmesde zzzmesdf zzzmesks zzzmesdg zzzmesdh zzzmeslf "
                                       "zzzmesku zzzmesjo zzzmesjp zzzmesdi zzzmeskv",
                                       "zzzmesde",
                                       "zzzmesdf",
                                       "zzzmesks zzzmesdg",
                                       "zzzmesdh zzzmeslf",
                                       "zzzmesku zzzmesjo zzzmesjp",
                                       "zzzmesdi",
                                       "zzzmeskv"};
    return tag >= 0 && tag < static_cast<int>(std::size(help)) ? help[tag] : "";
}

std::string SpeechKey(const char* caption) {
    std::string key = caption;
    if (const auto amp = key.find('&'); amp != std::string::npos) key.erase(amp, 1);
    return key;
}

} // namespace tavi
