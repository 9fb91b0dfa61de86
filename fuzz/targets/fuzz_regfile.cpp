// Registry files come from Wine and from whatever edited them. Any text: no crash, and the answer
// does not change with CRLF line ends or the letter case of the names asked for. A printable value
// after a key, escaped as Wine writes it, reads back exactly, whatever junk follows.

#include "check.h"
#include "platform/regfile.h"

#include <cctype>
#include <cstdint>
#include <string>

using tolvane::platform::findRegistryText;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const char* key = "Software\\Unreal Technology\\Installed Apps\\UnrealTournament";
    const auto answer = findRegistryText(text, key, "Folder");
    std::string crlf;
    for (char c : text) {
        crlf += c == '\n' ? "\r\n" : std::string(1, c);
    }
    FUZZ_CHECK(findRegistryText(crlf, key, "Folder") == answer);
    const std::string upper = "SOFTWARE\\UNREAL TECHNOLOGY\\INSTALLED APPS\\UNREALTOURNAMENT";
    FUZZ_CHECK(findRegistryText(text, upper, "fOLDER") == answer);

    std::string value;
    std::string escaped;
    for (char c : text) {
        if (std::isprint(static_cast<unsigned char>(c))) {
            value += c;
            escaped += c == '\\' || c == '"' ? std::string{'\\', c} : std::string(1, c);
        }
    }
    const std::string file =
        "WINE REGISTRY Version 2\n\n[Software\\\\Vendor] 1\n\"V\"=\"" + escaped + "\"\n" + text;
    FUZZ_CHECK(findRegistryText(file, "Software\\Vendor", "V") == value);
    return 0;
}
