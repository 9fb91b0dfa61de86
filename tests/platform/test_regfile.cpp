// Reading values out of Wine's registry text files.

#include "platform/regfile.h"

#include <QTest>

using tolvane::platform::findRegistryText;

namespace {
const std::string kHead = "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n";
const std::string kKey = "Software\\Vendor\\App";

std::optional<std::string> lookup(const std::string& body, const std::string& value,
                                  const std::string& key = kKey) {
    return findRegistryText(kHead + body, key, value);
}
} // namespace

class RegFileTest : public QObject {
    Q_OBJECT
private slots:
    void readsStringsWithEscapes() {
        const std::string body = "[Software\\\\Vendor\\\\App] 1700000000\n"
                                 "#time=1d0\n"
                                 "\"Path\"=\"C:\\\\Games\\\\UT\\\\\"\n"
                                 "\"Quote\"=\"say \\\"hi\\\"\\tnow\"\n"
                                 "\"Latin\"=\"Caf\\x00e9 \\x263a\"\n"
                                 "\"Surrogates\"=\"\\xd83c\\xdfae\"\n"
                                 "\"Expand\"=str(2):\"%ProgramFiles%\\\\UT\"\n"
                                 "@=\"default text\"\n";
        QCOMPARE(*lookup(body, "Path"), std::string("C:\\Games\\UT\\"));
        QCOMPARE(*lookup(body, "Quote"), std::string("say \"hi\"\tnow"));
        QCOMPARE(*lookup(body, "Latin"), std::string("Caf\xC3\xA9 \xE2\x98\xBA"));
        QCOMPARE(*lookup(body, "Surrogates"), std::string("\xF0\x9F\x8E\xAE"));
        QCOMPARE(*lookup(body, "Expand"), std::string("%ProgramFiles%\\UT"));
        QCOMPARE(*lookup(body, ""), std::string("default text"));
    }

    void namesIgnoreLetterCase() {
        const std::string body = "[SOFTWARE\\\\vendor\\\\APP] 1\n\"FOLDER\"=\"x\"\n";
        QCOMPARE(*lookup(body, "folder", "software\\Vendor\\app"), std::string("x"));
    }

    void dwordGivesDecimalOtherTypesNothing() {
        const std::string body = "[Software\\\\Vendor\\\\App] 1\n"
                                 "\"Count\"=dword:0000000a\n"
                                 "\"Minus\"=dword:ffffffff\n"
                                 "\"Bytes\"=hex:01,02,03,\\\n  04,05\n"
                                 "\"Multi\"=str(7):\"a\\0b\\0\"\n"
                                 "\"After\"=\"still found\"\n";
        QCOMPARE(*lookup(body, "Count"), std::string("10"));
        QCOMPARE(*lookup(body, "Minus"), std::string("-1"));
        QVERIFY(!lookup(body, "Bytes"));
        QVERIFY(!lookup(body, "Multi"));
        QCOMPARE(*lookup(body, "After"), std::string("still found"));
    }

    void missingKeysValuesAndDamageGiveNothing() {
        const std::string body = "[Software\\\\Vendor\\\\App] 1\n\"A\"=\"1\"\n"
                                 "[Software\\\\Vendor\\\\App\\\\Sub] 1\n\"B\"=\"2\"\n"
                                 "\"Broken\"=\"no end\n";
        QVERIFY(!lookup(body, "B"));                            // belongs to the sub-key
        QVERIFY(!lookup(body, "A", "Software\\Vendor\\Other")); // no such key
        QVERIFY(!lookup(body, "Z"));
        QVERIFY(!lookup(body, "Broken", "Software\\Vendor\\App\\Sub"));
        QVERIFY(
            !findRegistryText("REGEDIT4\n[Software\\\\Vendor\\\\App]\n\"A\"=\"1\"\n", kKey, "A"));
        QVERIFY(!findRegistryText("", kKey, "A"));
        QVERIFY(!findRegistryText(std::string("WINE REGISTRY Version 2\n[\\x", 28), kKey, "A"));
    }

    void win64PrefixPrefersTheThirtyTwoBitView() {
        const std::string both = "#arch=win64\n"
                                 "[Software\\\\Vendor\\\\App] 1\n\"V\"=\"64-bit\"\n"
                                 "[Software\\\\Wow6432Node\\\\Vendor\\\\App] 1\n\"V\"=\"32-bit\"\n";
        QCOMPARE(*lookup(both, "V"), std::string("32-bit"));
        const std::string only64 = "#arch=win64\n[Software\\\\Vendor\\\\App] 1\n\"V\"=\"64-bit\"\n";
        QCOMPARE(*lookup(only64, "V"), std::string("64-bit"));
        // Without the mark the redirection does not apply.
        const std::string win32 = "[Software\\\\Vendor\\\\App] 1\n\"V\"=\"plain\"\n"
                                  "[Software\\\\Wow6432Node\\\\Vendor\\\\App] 1\n\"V\"=\"other\"\n";
        QCOMPARE(*lookup(win32, "V"), std::string("plain"));
    }

    void acceptsWindowsLineEnds() {
        std::string text = "WINE REGISTRY Version 2\r\n[Software\\\\Vendor\\\\App] 1\r\n"
                           "\"A\"=\"value\"\r\n";
        QCOMPARE(*findRegistryText(text, kKey, "A"), std::string("value"));
    }
};

QTEST_GUILESS_MAIN(RegFileTest)
#include "test_regfile.moc"
