// Reading values out of Wine's registry text files: one row per file and value asked for. That
// line ends and the letter case of names change no answer is checked by fuzz_regfile.

#include "platform/regfile.h"

#include <QTest>

class RegFileTest : public QObject {
    Q_OBJECT
private slots:
    void findsValues_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<QByteArray>("expected"); // null: nothing found
        auto row = [](const char* name, const QByteArray& body, const char* value,
                      const char* expected) {
            QTest::newRow(name) << "WINE REGISTRY Version 2\n\n" + body << QByteArray(value)
                                << QByteArray(expected);
        };
        const QByteArray app = "[Software\\\\Vendor\\\\App] 1700000000\n#time=1d0\n";
        row("escapes", app + "\"P\"=\"C:\\\\UT\\\\ say \\\"hi\\\"\\tnow\"\n", "P",
            "C:\\UT\\ say \"hi\"\tnow");
        row("\\x and surrogates", app + "\"L\"=\"Caf\\x00e9 \\xd83c\\xdfae\"\n", "L",
            "Caf\xC3\xA9 \xF0\x9F\x8E\xAE");
        row("expandable", app + "\"E\"=str(2):\"%ProgramFiles%\\\\UT\"\n", "E",
            "%ProgramFiles%\\UT");
        row("default value", app + "@=\"text\"\n", "", "text");
        row("dword", app + "\"C\"=dword:0000000a\n", "C", "10");
        row("negative dword", app + "\"M\"=dword:ffffffff\n", "M", "-1");
        row("binary", app + "\"B\"=hex:01,02,\\\n  04\n", "B", nullptr);
        row("after a continuation", app + "\"B\"=hex:01,02,\\\n  04\n\"A\"=\"a\"\n", "A", "a");
        row("multi-string", app + "\"S\"=str(7):\"a\\0b\\0\"\n", "S", nullptr);
        row("missing value", app + "\"A\"=\"1\"\n", "Z", nullptr);
        row("sub-key's value", app + "[Software\\\\Vendor\\\\App\\\\Sub] 1\n\"B\"=\"2\"\n", "B",
            nullptr);
        row("other key", "[Software\\\\Vendor\\\\Other] 1\n\"A\"=\"1\"\n", "A", nullptr);
        row("no closing quote", app + "\"X\"=\"no end\n", "X", nullptr);
        // A 64-bit prefix shows a 32-bit program the Wow6432Node copy first; others do not.
        const QByteArray both = app + "\"V\"=\"64\"\n[Software\\\\Wow6432Node\\\\Vendor\\\\App] 1\n"
                                      "\"V\"=\"32\"\n";
        row("win64", "#arch=win64\n" + both, "V", "32");
        row("win64 without the copy", "#arch=win64\n" + app + "\"V\"=\"64\"\n", "V", "64");
        row("win32", both, "V", "64");
        QTest::newRow("not Wine's")
            << QByteArray("REGEDIT4\n[Software\\\\Vendor\\\\App]\n\"A\"=\"1\"\n") << QByteArray("A")
            << QByteArray();
    }
    void findsValues() {
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, value);
        QFETCH(QByteArray, expected);
        const auto found = tolvane::platform::findRegistryText(
            file.toStdString(), "Software\\Vendor\\App", value.toStdString());
        QCOMPARE(found.has_value(), !expected.isNull());
        QCOMPARE(QByteArray::fromStdString(found.value_or("")), expected);
    }
};

QTEST_GUILESS_MAIN(RegFileTest)
#include "test_regfile.moc"
