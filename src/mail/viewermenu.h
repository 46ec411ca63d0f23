// The mail viewer's own menu: its entries' captions, which the menu speech list names too.
#pragma once

#include <array>

namespace tavi {

struct TViewerMenuCaptions {
    static constexpr const char* Save = "&Lưu thư";
    static constexpr const char* Delete = "&Xóa thư";
    static constexpr const char* Copy = "&Chép vào văn bản";
    static constexpr const char* Answer = "&Trả lời thư";
    static constexpr std::array<const char*, 4> All = {Save, Delete, Copy, Answer};
};

} // namespace tavi
