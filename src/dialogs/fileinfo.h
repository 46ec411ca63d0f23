// What the document information window shows: file times and size, dates as text, words.
#pragma once

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>

namespace tavi {

// " Khoâng roõ " (không rõ): shown for a time that cannot be read.
inline constexpr const char* UnknownTimeText = " Kho\xE2ng ro\xF5 "; // Không rõ

// A local date and time as " Ngày d Tháng m Năm yyyy   h Giờ m Phút s Giây" in Vni for Win.
std::string DateText(const std::tm& local);
std::string DateText(std::time_t when);

// The creation and last-write times of a file as date texts; either is UnknownTimeText when
// it cannot be read (many file systems keep no creation time).
std::pair<std::string, std::string> FileTimes(const std::filesystem::path& file);

// The size of a file in bytes, or -1 when it cannot be read.
std::int64_t FileSize(const std::filesystem::path& file);

// The number of words of a text: runs of characters between blanks, tabs and line breaks.
std::size_t WordCount(std::string_view text);

} // namespace tavi
