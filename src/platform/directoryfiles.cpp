#include "platform/directoryfiles.h"

#include "common/error.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <optional>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace tekstovar {

namespace {

// ---- Masks ----

// A byte that is not part of valid UTF-8 becomes a unit of its own, above
// every code point, so that it can neither match nor be mistaken for a letter.
constexpr char32_t StrayByte = 0x110000;

std::vector<char32_t> DecodeUtf8(std::string_view text)
{
    std::vector<char32_t> units;
    units.reserve(text.size());
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const auto continuation = [&](std::size_t i, unsigned char low = 0x80, unsigned char high = 0xBF) {
        return i < text.size() && byte(i) >= low && byte(i) <= high;
    };
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char lead = byte(i);
        std::size_t length = 0;
        char32_t code = 0;
        if (lead < 0x80) {
            length = 1;
            code = lead;
        } else if (lead >= 0xC2 && lead <= 0xDF && continuation(i + 1)) {
            length = 2;
            code = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF &&
            continuation(i + 1, lead == 0xE0 ? 0xA0 : 0x80, lead == 0xED ? 0x9F : 0xBF) && continuation(i + 2)) {
            length = 3;
            code = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF4 &&
            continuation(i + 1, lead == 0xF0 ? 0x90 : 0x80, lead == 0xF4 ? 0x8F : 0xBF) && continuation(i + 2) &&
            continuation(i + 3)) {
            length = 4;
            code = lead & 0x07;
        }
        if (length == 0) {
            units.push_back(StrayByte + lead);
            ++i;
            continue;
        }
        for (std::size_t k = 1; k < length; ++k)
            code = (code << 6) | (byte(i + k) & 0x3F);
        units.push_back(code);
        i += length;
    }
    return units;
}

bool IsUpper(char32_t c) { return c >= 'A' && c <= 'Z'; }
bool IsLower(char32_t c) { return c >= 'a' && c <= 'z'; }
char32_t Fold(char32_t c) { return IsUpper(c) ? c + ('a' - 'A') : c; }

enum EClass : unsigned {
    Alpha = 1 << 0,
    Digit = 1 << 1,
    Alnum = 1 << 2,
    Upper = 1 << 3,
    Lower = 1 << 4,
    Space = 1 << 5,
    Blank = 1 << 6,
    Punct = 1 << 7,
    Xdigit = 1 << 8,
    Cntrl = 1 << 9,
    Print = 1 << 10,
    Graph = 1 << 11,
};

std::optional<unsigned> ClassByName(const std::u32string& name)
{
    static const std::pair<std::u32string_view, unsigned> classes[] = {
        {U"alpha", Alpha},
        {U"digit", Digit},
        {U"alnum", Alnum},
        {U"upper", Upper},
        {U"lower", Lower},
        {U"space", Space},
        {U"blank", Blank},
        {U"punct", Punct},
        {U"xdigit", Xdigit},
        {U"cntrl", Cntrl},
        {U"print", Print},
        {U"graph", Graph},
    };
    for (const auto& [known, bit] : classes)
        if (name == known)
            return bit;
    return std::nullopt;
}

// The classes hold ASCII characters only. Letter case does not matter, so
// [:upper:] and [:lower:] take every ASCII letter.
unsigned ClassesOf(char32_t c)
{
    unsigned classes = 0;
    const bool letter = IsUpper(c) || IsLower(c);
    const bool digit = c >= '0' && c <= '9';
    if (letter)
        classes |= Alpha | Upper | Lower;
    if (digit)
        classes |= Digit;
    if (letter || digit)
        classes |= Alnum;
    if (c == ' ' || (c >= '\t' && c <= '\r'))
        classes |= Space;
    if (c == ' ' || c == '\t')
        classes |= Blank;
    if (digit || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'))
        classes |= Xdigit;
    if (c < 0x20 || c == 0x7F)
        classes |= Cntrl;
    if (c >= 0x20 && c < 0x7F)
        classes |= Print;
    if (c > 0x20 && c < 0x7F)
        classes |= Graph;
    if ((classes & Graph) && !(classes & Alnum))
        classes |= Punct;
    return classes;
}

struct TElement {
    enum EKind { Literal, AnyOne, Star, Set } Kind = Literal;
    char32_t Char = 0;
    bool Negated = false;
    std::vector<std::pair<char32_t, char32_t>> Ranges;
    unsigned Classes = 0;

    // Range ends fold as well, as fnmatch folds them: [A-z] is [a-z].
    bool InSet(char32_t c) const
    {
        for (const auto& [low, high] : Ranges)
            if (Fold(c) >= Fold(low) && Fold(c) <= Fold(high))
                return true;
        return (ClassesOf(c) & Classes) != 0;
    }

    bool Matches(char32_t c) const
    {
        switch (Kind) {
        case Literal: return Fold(c) == Fold(Char);
        case AnyOne: return true;
        case Star: return false;
        case Set: return InSet(c) != Negated;
        }
        return false;
    }
};

// A bracket expression starting at mask[open] ("["). Returns the position
// after its closing "]", or nothing when there is no closing "]" (the "[" is
// then an ordinary character). Sets `invalid` for an unknown class name,
// which makes the whole mask match nothing, as fnmatch does.
std::optional<std::size_t> ParseSet(const std::vector<char32_t>& mask, std::size_t open, TElement& set, bool& invalid)
{
    set = TElement{};
    set.Kind = TElement::Set;
    std::size_t i = open + 1;
    if (i < mask.size() && (mask[i] == '!' || mask[i] == '^')) {
        set.Negated = true;
        ++i;
    }
    // Reads one character of the set, honouring "\" as an escape.
    const auto take = [&](char32_t& c) {
        if (mask[i] == '\\' && i + 1 < mask.size())
            ++i;
        c = mask[i++];
    };
    for (bool first = true;; first = false) {
        if (i >= mask.size())
            return std::nullopt;
        if (mask[i] == ']' && !first)
            return i + 1;
        if (mask[i] == '[' && i + 1 < mask.size() && mask[i + 1] == ':') {
            std::size_t end = i + 2;
            while (end + 1 < mask.size() && !(mask[end] == ':' && mask[end + 1] == ']'))
                ++end;
            if (end + 1 < mask.size()) {
                const auto bit = ClassByName(std::u32string(mask.begin() + i + 2, mask.begin() + end));
                if (!bit) {
                    invalid = true;
                    return std::nullopt;
                }
                set.Classes |= *bit;
                i = end + 2;
                continue;
            }
        }
        char32_t low = 0;
        take(low);
        char32_t high = low;
        if (i + 1 < mask.size() && mask[i] == '-' && mask[i + 1] != ']') {
            ++i;
            take(high);
        }
        set.Ranges.emplace_back(low, high);
    }
}

// The mask as a list of elements; nothing when it can match no name.
std::optional<std::vector<TElement>> CompileMask(const std::string& text)
{
    if (text.empty())
        return std::nullopt;
    const std::vector<char32_t> mask = DecodeUtf8(text);
    std::vector<TElement> elements;
    for (std::size_t i = 0; i < mask.size();) {
        TElement element;
        const char32_t c = mask[i];
        if (c == '*') {
            element.Kind = TElement::Star;
            ++i;
            // Several stars in a row are one.
            if (!elements.empty() && elements.back().Kind == TElement::Star)
                continue;
        } else if (c == '?') {
            element.Kind = TElement::AnyOne;
            ++i;
        } else if (c == '\\') {
            // A "\" at the very end escapes nothing; fnmatch then matches nothing.
            if (i + 1 >= mask.size())
                return std::nullopt;
            element.Char = mask[i + 1];
            i += 2;
        } else if (c == '[') {
            bool invalid = false;
            const auto end = ParseSet(mask, i, element, invalid);
            if (invalid)
                return std::nullopt;
            if (end) {
                i = *end;
            } else {
                element = TElement{};
                element.Char = c;
                ++i;
            }
        } else {
            element.Char = c;
            ++i;
        }
        elements.push_back(std::move(element));
    }
    return elements;
}

bool MatchesCompiled(const std::vector<char32_t>& name, const std::vector<TElement>& mask)
{
    // Every element but the star takes exactly one character, so going back
    // to the last star and letting it take one more is enough.
    constexpr std::size_t none = static_cast<std::size_t>(-1);
    std::size_t e = 0, n = 0, afterStar = none, starTook = 0;
    while (n < name.size()) {
        if (e < mask.size() && mask[e].Kind == TElement::Star) {
            afterStar = ++e;
            starTook = n;
        } else if (e < mask.size() && mask[e].Matches(name[n])) {
            ++e;
            ++n;
        } else if (afterStar != none) {
            e = afterStar;
            n = ++starTook;
        } else {
            return false;
        }
    }
    while (e < mask.size() && mask[e].Kind == TElement::Star)
        ++e;
    return e == mask.size();
}

// ---- Directories ----

struct TListing {
    std::vector<std::string> Directories;
    std::vector<std::string> Files;
};

std::string Reason(int error) { return std::strerror(error); }

std::string CannotRead(const std::string& path, const std::string& reason)
{
    return "Не удаётся прочитать директорию " + path + ": " + reason;
}

// Sorts an entry into the listing. Only real directories are searched, so a
// link can never lead the walk back up the tree; a link to a regular file is
// a file. An entry that vanished meanwhile is dropped.
void Classify(int dirFd, const dirent& entry, TListing& listing)
{
    const std::string name = entry.d_name;
    unsigned char type = entry.d_type;
    struct stat st { };
    if (type == DT_UNKNOWN) {
        if (::fstatat(dirFd, entry.d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            return;
        type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISREG(st.st_mode) ? DT_REG : S_ISLNK(st.st_mode) ? DT_LNK : DT_UNKNOWN;
    }
    if (type == DT_LNK)
        type = ::fstatat(dirFd, entry.d_name, &st, 0) == 0 && S_ISREG(st.st_mode) ? DT_REG : DT_UNKNOWN;
    if (type == DT_DIR && name[0] != '.')
        listing.Directories.push_back(name);
    else if (type == DT_REG)
        listing.Files.push_back(name);
}

// Reads the whole directory at once, so no descriptor stays open while the
// walk goes deeper (a deep tree would run out of them). A subdirectory is
// opened without following a link, in case one replaced it after listing.
bool ReadListing(const std::string& path, bool top, TListing& listing, std::string& reason)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | (top ? 0 : O_NOFOLLOW));
    if (fd < 0) {
        reason = Reason(errno);
        return false;
    }
    DIR* dir = ::fdopendir(fd);
    if (dir == nullptr) {
        reason = Reason(errno);
        ::close(fd);
        return false;
    }
    bool ok = true;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir);
        if (entry == nullptr) {
            if (errno != 0) {
                reason = Reason(errno);
                ok = false;
            }
            break;
        }
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0)
            continue;
        Classify(::dirfd(dir), *entry, listing);
    }
    ::closedir(dir);
    // The file system's own order differs from one run to the next; byte
    // order of the names keeps the list reproducible.
    std::sort(listing.Directories.begin(), listing.Directories.end());
    std::sort(listing.Files.begin(), listing.Files.end());
    return ok;
}

using TMasks = std::vector<std::optional<std::vector<TElement>>>;

void AddTree(const std::string& prefix, const TListing& listing, const TMasks& masks, std::vector<std::string>& files,
    std::vector<std::string>* problems)
{
    for (const std::string& name : listing.Directories) {
        const std::string path = prefix + name;
        TListing below;
        std::string reason;
        if (!ReadListing(path, false, below, reason)) {
            if (problems != nullptr)
                problems->push_back(CannotRead(path, reason));
            continue;
        }
        AddTree(path + "/", below, masks, files, problems);
    }
    std::vector<std::vector<char32_t>> names;
    names.reserve(listing.Files.size());
    for (const std::string& name : listing.Files)
        names.push_back(DecodeUtf8(name));
    for (const auto& mask : masks) {
        if (!mask)
            continue;
        for (std::size_t i = 0; i < names.size(); ++i)
            if (MatchesCompiled(names[i], *mask))
                files.push_back(prefix + listing.Files[i]);
    }
}

} // namespace

std::vector<std::string> SplitFileMasks(const std::string& list)
{
    std::vector<std::string> masks;
    std::size_t start = 0;
    while (start < list.size()) {
        const std::size_t comma = list.find(',', start);
        if (comma == std::string::npos) {
            masks.push_back(list.substr(start));
            break;
        }
        masks.push_back(list.substr(start, comma - start));
        start = comma + 1;
    }
    return masks;
}

std::string JoinFileMasks(const std::vector<std::string>& masks)
{
    std::string list;
    for (std::size_t i = 0; i < masks.size(); ++i) {
        if (i > 0)
            list += ',';
        list += masks[i];
    }
    return list;
}

bool MatchesFileMask(const std::string& name, const std::string& mask)
{
    const auto compiled = CompileMask(mask);
    return compiled && MatchesCompiled(DecodeUtf8(name), *compiled);
}

std::vector<std::string> FilesOfDirectory(
    const std::string& directory, const std::vector<std::string>& masks, std::vector<std::string>* problems)
{
    if (directory.empty())
        throw TError("Не указана директория, в которой искать файлы");
    TListing top;
    std::string reason;
    if (!ReadListing(directory, true, top, reason))
        throw TError(CannotRead(directory, reason));

    TMasks compiled;
    compiled.reserve(masks.size());
    for (const std::string& mask : masks)
        compiled.push_back(CompileMask(mask));

    // "dir" and "dir/" give the same paths; "/" stays "/".
    std::string prefix = directory;
    while (!prefix.empty() && prefix.back() == '/')
        prefix.pop_back();
    prefix += '/';

    std::vector<std::string> files;
    AddTree(prefix, top, compiled, files, problems);
    return files;
}

} // namespace tekstovar
