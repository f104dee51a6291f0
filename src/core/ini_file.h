#pragma once
// A configuration file with the behaviour of Windows profile files: sections "[Name]" with
// "Key=Value" lines, names matched without regard to case (ASCII and Cyrillic), a missing file
// reads as empty. Writing keeps every other section, key, comment and blank line in its order.
// On disk the file is Windows-1251 with CR LF line ends; in memory all texts are UTF-8.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavlora {

class IniFile {
public:
    IniFile() = default;
    // Reads the file (a missing file is an empty one). Throws EError when the file exists but
    // cannot be read.
    explicit IniFile(const std::filesystem::path& path);

    // Re-reads from path (missing file = empty) and remembers the path for save().
    void open(const std::filesystem::path& path);
    // Parses text in Windows-1251 (CR LF, LF or CR line ends).
    void loadFromBytes(std::string_view cp1251);
    // The whole file in Windows-1251 with CR LF line ends.
    std::string toBytes() const;
    // Writes the file through writeFileAtomic; throws EError on failure leaving the old file whole.
    void save() const;
    void saveAs(const std::filesystem::path& path) const;
    const std::filesystem::path& path() const { return path_; }

    bool sectionExists(std::string_view section) const;
    bool keyExists(std::string_view section, std::string_view key) const;
    std::vector<std::string> sections() const;
    std::vector<std::string> sectionKeys(std::string_view section) const;

    // The raw value when the key exists.
    std::optional<std::string> value(std::string_view section, std::string_view key) const;
    std::string readString(std::string_view section, std::string_view key, std::string_view def = {}) const;
    // The value read as a whole as a 32-bit integer (see parseInteger), or def when the key is
    // absent or its value is not such a number ("12abc", "", "99999999999" all give def).
    int32_t readInteger(std::string_view section, std::string_view key, int32_t def) const;
    // A real number with "." or "," as the decimal separator; def when absent or unreadable.
    long double readReal(std::string_view section, std::string_view key, long double def) const;
    // An integer as readInteger reads it (nonzero = true), or "true"/"false"/"yes"/"no"/"on"/"off";
    // def otherwise.
    bool readBool(std::string_view section, std::string_view key, bool def) const;

    void writeString(std::string_view section, std::string_view key, std::string_view value);
    void writeInteger(std::string_view section, std::string_view key, int64_t value);
    // Written with the system decimal separator and up to 15 significant digits ("0.5", "1000000").
    void writeReal(std::string_view section, std::string_view key, long double value);
    void writeBool(std::string_view section, std::string_view key, bool value);  // "1" / "0"

    void eraseSection(std::string_view section);
    void eraseKey(std::string_view section, std::string_view key);

    // Text form of a real number as writeReal writes it.
    static std::string formatReal(long double value);
    // Parses a real number accepting "." and ","; nullopt when the text is not a number.
    static std::optional<long double> parseReal(std::string_view text);
    // The whole text (blanks around it ignored) as a 32-bit integer: an optional sign and decimal
    // digits, or hexadecimal digits after "$" or "0x" (at most eight, taken as the 32 bits of the
    // value). nullopt for anything else, including a decimal value beyond the 32-bit range.
    static std::optional<int32_t> parseInteger(std::string_view text);
    // The leading (optionally signed) decimal number of the text, saturated to 32 bits; nullopt
    // when the text does not begin with a number.
    static std::optional<int32_t> parseLeadingInteger(std::string_view text);

private:
    struct Line {
        std::string text;  // the raw line (UTF-8) for comments and blank lines
        std::string key;   // empty for non key lines
        std::string value;
        bool isKey = false;
    };
    struct Section {
        std::string name;        // the first section (index 0) holds the lines before any header
        std::string headerText;  // the raw header line as read; empty for new sections
        std::vector<Line> lines;
    };
    Section* findSection(std::string_view name);
    const Section* findSection(std::string_view name) const;
    Section& ensureSection(std::string_view name);

    std::filesystem::path path_;
    std::vector<Section> sections_;
};

}  // namespace tavlora
