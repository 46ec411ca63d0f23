// The per-user registry: keys holding typed values, kept in a text file in REGEDIT4 form in
// the user's configuration folder and written atomically.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace tavi {

// A value that is missing where one is required, or that has another type than asked for.
class ERegistryException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class TRegDataType { rdUnknown, rdString, rdExpandString, rdInteger, rdBinary };

struct TRegValue {
    TRegDataType Type = TRegDataType::rdUnknown;
    std::string Data; // strings and binary data, byte for byte
    std::uint32_t Dword = 0;
};

// The parsed contents of a registry file: key paths (compared without regard to letter case)
// to their values (names compared the same way).
class TRegistryData {
public:
    struct Key {
        std::string Name; // as first written
        std::map<std::string, std::pair<std::string, TRegValue>>
            Values; // lower name -> (name, value)
    };
    std::map<std::string, Key> Keys;   // lower path -> key
    std::vector<std::string> Problems; // lines that could not be read

    void Parse(const std::string& text);
    std::string Format() const;
};

// The registry object of the program: open a key (relative to the current user's root), read
// and write its values, close it. Changes reach the file when the key is closed or the object
// is destroyed.
class TRegistry {
public:
    // The file of the current user ($TAVI_CONFIG_DIR or the XDG configuration folder).
    static std::filesystem::path DefaultFile();

    explicit TRegistry(std::filesystem::path file = DefaultFile());
    ~TRegistry();
    TRegistry(const TRegistry&) = delete;
    TRegistry& operator=(const TRegistry&) = delete;

    bool KeyExists(const std::string& key) const;
    // Opens the key; creates it (and its parents) when canCreate is set. False when it does
    // not exist and may not be created.
    bool OpenKey(const std::string& key, bool canCreate);
    void CloseKey();
    const std::string& CurrentPath() const { return Current; }

    bool ValueExists(const std::string& name) const;
    TRegDataType GetDataType(const std::string& name) const;
    // A missing string reads as empty; a value of another type throws ERegistryException.
    std::string ReadString(const std::string& name) const;
    // A missing value or one of another type throws ERegistryException.
    std::int32_t ReadInteger(const std::string& name) const;
    bool ReadBool(const std::string& name) const;
    void WriteString(const std::string& name, const std::string& value);
    void WriteExpandString(const std::string& name, const std::string& value);
    void WriteInteger(const std::string& name, std::int32_t value);
    void WriteBool(const std::string& name, bool value);

    // Writes the file now when something changed (also done by CloseKey and the destructor).
    // Throws when the file cannot be written; the old file is then left as it was.
    void Flush();

    const std::filesystem::path& FileName() const { return File; }

private:
    const TRegValue* Find(const std::string& name) const;
    void Put(const std::string& name, TRegValue value);

    std::filesystem::path File;
    TRegistryData Data;
    std::string Current; // lower-case path of the open key; empty = none
    bool Dirty = false;
    bool BackedUp = false;
};

} // namespace tavi
