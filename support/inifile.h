// INI text in code page 932, read and changed in memory the way the platform's private-profile
// functions read and change a file. Free of the platform: the caller does the file's I/O.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

enum class IniTextEncoding { Ansi, Utf8, Utf16LE, Utf16BE };

// A file's encoding: the one its first bytes mark; else UTF-8 where the bytes are valid UTF-8 with
// a character of three bytes or more (Notepad's way with Japanese); else code page 932.
// *markLength gets the size of the mark.
IniTextEncoding DetectIniTextEncoding(std::string_view bytes, size_t* markLength);

class IniText {
  public:
    IniText();
    explicit IniText(std::string_view text);

    std::string GetString(std::string_view section, std::string_view key,
                          std::string_view defaultValue, size_t limit) const;
    void CopyString(std::string_view section, std::string_view key, const char* defaultValue,
                    char* buffer, size_t limit) const;
    int32_t GetInt(std::string_view section, std::string_view key, int32_t defaultValue) const;

    void SetString(std::string_view section, std::string_view key, std::string_view value);

    std::string Text() const;

  private:
    struct Key {
        std::string foldedName;
        size_t line;        // index into the section's lines
        bool hasValue;      // the line has an "="
        size_t valueStart;  // byte offsets of the value within the line
        size_t valueEnd;
    };
    struct Section {
        std::vector<std::string> lines;  // each without its line end; the header first
        std::vector<Key> keys;
        size_t contentEnd = 0;  // lines past this are blank
    };

    void AddLine(std::string_view line);
    Section& AddSection(std::string foldedName, std::string_view header);
    const Key* FindKey(std::string_view section, std::string_view key, const Section** owner) const;
    std::string_view RawValue(const Section& section, const Key& key) const;

    std::vector<Section> sections_;                     // the first has no header
    std::unordered_map<std::string, size_t> byName_;    // folded name -> first section so named
};
