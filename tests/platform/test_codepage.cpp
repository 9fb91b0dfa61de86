// A job's output decoded as it arrives in reads: UTF-8 where a line is UTF-8, else Windows-1252,
// also when a character is cut between two reads.

#include "platform/codepage.h"

#include <QTest>

#include <string>
#include <vector>

using namespace tolvane;

class CodePageTest : public QObject {
    Q_OBJECT
private slots:
    void outputIsUtf8WhereItIsUtf8AndWindows1252Elsewhere() {
        struct Case {
            const char* what;
            std::vector<std::string> reads;
            std::string shown;
        };
        const Case cases[] = {
            {"UTF-8", {"Caf\xC3\xA9 \xE2\x82\xAC\r\n"}, "Café €\r\n"},
            {"Windows-1252", {"Caf\xE9 \x80\r\n"}, "Café €\r\n"},
            {"each line by itself", {"C:\\>Caf\xE9.unr\nCaf\xC3\xA9\n"}, "C:\\>Café.unr\nCafé\n"},
            {"cut after a lead byte", {"Z\xE2\x82", "\xAC\n"}, "Z€\n"},
            {"cut after a 4-byte lead", {"\xF0", "\x9F\x98\x80", "!"}, "😀!"},
            {"a lead byte no read completes", {"a\xE9", "b\n"}, "aéb\n"},
            {"cut off by the end", {"x\xE2\x82"}, "xâ‚"},
            {"overlong", {"\xC0\xAF\n"}, "À¯\n"},
            {"surrogate", {"\xED\xA0\x80\n"}, "í\xC2\xA0€\n"},
            {"beyond U+10FFFF", {"\xF4\x90\x80\x80"}, "ô\xC2\x90€€"},
        };
        for (const auto& c : cases) {
            platform::OutputDecoder decoder;
            std::string shown;
            std::string text;
            for (const auto& read : c.reads) {
                decoder.decode(read, text);
                shown += text;
            }
            shown += decoder.finish();
            QVERIFY2(shown == c.shown, c.what);
        }
    }
};

QTEST_MAIN(CodePageTest)
#include "test_codepage.moc"
