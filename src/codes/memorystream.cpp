#include "codes/memorystream.h"

#include "platform/errors.h"

#include <fstream>
#include <iterator>

namespace tavi {

void TMemoryStream::Write(std::string_view bytes) {
    if (Position == Data.size()) {
        Data.append(bytes);
    } else {
        if (Position + bytes.size() > Data.size()) Data.resize(Position + bytes.size());
        Data.replace(Position, bytes.size(), bytes);
    }
    Position += bytes.size();
}

std::string TMemoryStream::Read(std::size_t count) {
    if (Position >= Data.size()) return {};
    std::string out = Data.substr(Position, count);
    Position += out.size();
    return out;
}

void TMemoryStream::LoadFromFile(const std::filesystem::path& fileName) {
    Data = ReadWholeFile(fileName);
    Position = 0;
}

std::filesystem::path FindFileIgnoringCase(const std::filesystem::path& folder, const std::string& fileName) {
    std::filesystem::path exact = folder / fileName;
    std::error_code ec;
    if (std::filesystem::exists(exact, ec)) return exact;
    const auto lower = [](std::string s) {
        for (char& c : s)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
        return s;
    };
    const std::string wanted = lower(fileName);
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        if (lower(it->path().filename().string()) == wanted) return it->path();
    return exact;
}

std::string ReadWholeFile(const std::filesystem::path& fileName) {
    std::error_code ec;
    if (std::filesystem::is_directory(fileName, ec)) throw EFOpenError(fileName.string());
    std::ifstream in(fileName, std::ios::binary);
    if (!in) throw EFOpenError(fileName.string());
    std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) throw EFOpenError(fileName.string());
    return data;
}

} // namespace tavi
