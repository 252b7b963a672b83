#include "scenario/scenariofile.h"

#include "common/error.h"
#include "platform/fileio.h"

namespace tekstovar {

std::vector<std::string> ParseScenarioLines(std::string_view bytes)
{
    bytes = bytes.substr(0, bytes.find('\0'));
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.emplace_back(bytes.substr(start));
            break;
        }
        lines.emplace_back(bytes.substr(start, end - start));
        start = end + 1;
        if (bytes[end] == '\r' && start < bytes.size() && bytes[start] == '\n')
            ++start;
    }
    return lines;
}

std::string FormatScenarioLines(const std::vector<std::string>& lines)
{
    std::string bytes;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos)
            throw TError("Строка " + std::to_string(i + 1) + " сценария содержит перевод строки или нулевой байт");
        bytes += lines[i];
        bytes += "\r\n";
    }
    return bytes;
}

std::vector<TMaskPair> ScenarioPairs(const std::vector<std::string>& lines)
{
    std::vector<TMaskPair> pairs;
    pairs.reserve(lines.size() / 2);
    for (std::size_t i = 0; i + 1 < lines.size(); i += 2)
        pairs.push_back({lines[i], lines[i + 1]});
    return pairs;
}

std::vector<std::string> ReadScenarioFile(const std::string& path) { return ParseScenarioLines(ReadFileBytes(path)); }

void WriteScenarioFile(const std::string& path, const std::vector<std::string>& lines)
{
    // Formatting first: a line that cannot be stored leaves the file untouched.
    std::string bytes;
    try {
        bytes = FormatScenarioLines(lines);
    } catch (const TError& error) {
        throw TError("Сценарий не записан в файл " + path + ": " + error.what());
    }
    WriteFileReplacing(path, bytes);
}

} // namespace tekstovar
