// File names as Wine sees them: which names are one file in another letter case, and which
// names no Windows path can reach.
#include "platform/codepage.h"
#include "platform/winpath.h"

#include <QTest>

using namespace tolvane::platform;

class NamesTest : public QObject {
    Q_OBJECT
private slots:
    void lettersCompareAsWineComparesFileNames() {
        // One or more letters from each script Windows-1252 holds, and the letters whose upper
        // case lies outside it.
        const std::tuple<const char*, const char*, bool> cases[] = {
            {"CTF-Face.unr", "ctf-face.UNR", true},
            {"\xC3\x80\xC3\x89\xC3\x8E\xC3\x95\xC3\x9C\xC3\x87\xC3\x90\xC3\x9E",
             "\xC3\xA0\xC3\xA9\xC3\xAE\xC3\xB5\xC3\xBC\xC3\xA7\xC3\xB0\xC3\xBE", true}, // Latin-1
            {"\xC5\xB8", "\xC3\xBF", true},                                       // Y diaeresis
            {"\xC5\x92\xC5\xA0\xC5\xBD", "\xC5\x93\xC5\xA1\xC5\xBE", true},       // OE S Z caron
            {"\xC6\x91", "\xC6\x92", true},                                       // f hook
            {"\xCE\x9C", "\xC2\xB5", true},                                       // micro sign
            {"\xCE\xA3", "\xCF\x82", true},                                       // final sigma
            {"\xD0\x94\xD0\x81", "\xD0\xB4\xD1\x91", true},                       // Cyrillic
            {"I", "\xC4\xB1", true},                                              // dotless i
            {"S", "\xC5\xBF", true},                                              // long s
            {"SS", "\xC3\x9F", false},                                            // sharp s
            {"k", "\xE2\x84\xAA", false},                                         // Kelvin sign
            {"\xC3\x97", "\xC3\xB7", false},                                      // times, divide
            {"a", "b", false},
        };
        for (const auto& [a, b, same] : cases) {
            QVERIFY2(equalsIgnoringCase(a, b) == same, a);
        }
    }

    void namesNoWindowsPathCanHold() {
        for (const char* bad : {"a\\b.unr", "x*y.unr", "q?.unr", "c:d.unr", "l<t.unr", "g>t.unr",
                                "p|p.unr", "q\"q.unr", "bad\xFF.unr", "tab\t.unr", ""}) {
            QVERIFY2(!isUsableWindowsName(bad), bad);
        }
        for (const char* good : {"CTF-Face][.unr", "with space & (x86) 100%.unr",
                                 "Caf\xC3\xA9 \xE2\x82\xAC.utx", "\xEF\xBF\xBD.u"}) {
            QVERIFY2(isUsableWindowsName(good), good);
        }
    }
};

QTEST_GUILESS_MAIN(NamesTest)
#include "test_names.moc"
