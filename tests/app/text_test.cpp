// Text and path routines, in the code page the test runs under: on Windows
// the suite runs once in a single-byte and once in code page 932, where
// 0x95 0x5C and 0x83 0x5C are one character each and 0x83 0x41 ends in "A".
#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include <string>

#include "app/text.h"
#include "support/codepage.h"

#ifdef _WIN32
#include "support/testdirs.h"
#endif

namespace {

const char kHyou[] = "\x95\x5C";  // one character whose second byte is a backslash
const char kSo[] = "\x83\x5C";    // likewise
const char kA[] = "\x83\x41";     // one character whose second byte is "A"

std::string joined(const char* a, const char* b, const char* c = "") {
    return std::string(a) + b + c;
}

TEST(TextCodePage, RunsInTheCodePageTheTestAskedFor) {
#ifdef _WIN32
    const char* expected = getenv("TRAWLIX_EXPECT_ACP");
    if (expected) {
        EXPECT_EQ(GetACP(), static_cast<UINT>(atoi(expected)));
    }
#endif
    SUCCEED();
}

TEST(PathAddBackslash, AppendsOnlyAfterAFinalCharacterThatIsNotABackslash) {
    char text[16] = "";
    EXPECT_EQ(pathAddBackslash(text, sizeof text), 0);
    EXPECT_STREQ(text, "");

    strcpy(text, "x");
    EXPECT_EQ(pathAddBackslash(text, sizeof text), 1);
    EXPECT_STREQ(text, "x\\");

    strcpy(text, "D:");
    EXPECT_EQ(pathAddBackslash(text, sizeof text), 1);
    EXPECT_STREQ(text, "D:\\");
    EXPECT_EQ(pathAddBackslash(text, sizeof text), 0);
    EXPECT_STREQ(text, "D:\\");
}

TEST(PathAddBackslash, SeesATrailByteBackslashAsPartOfItsCharacter) {
    for (const char* wide : {kHyou, kSo}) {
        char text[16];
        strcpy(text, joined("D:\\", wide).c_str());
        if (doubleByteCodePage()) {
            EXPECT_EQ(pathAddBackslash(text, sizeof text), 1);
            EXPECT_EQ(std::string(text), joined("D:\\", wide, "\\"));
        } else {
            EXPECT_EQ(pathAddBackslash(text, sizeof text), 0);
            EXPECT_EQ(std::string(text), joined("D:\\", wide));
        }
    }
}

TEST(PathAddBackslash, RefusesWhenTheBufferHasNoRoom) {
    char text[4] = "abc";
    EXPECT_EQ(pathAddBackslash(text, sizeof text), 0);
    EXPECT_STREQ(text, "abc");
    char roomy[5] = "abc";
    EXPECT_EQ(pathAddBackslash(roomy, sizeof roomy), 1);
    EXPECT_STREQ(roomy, "abc\\");
}

TEST(PathStripBackslash, RemovesOnlyAFinalBackslashCharacter) {
    char text[16] = "x";
    EXPECT_EQ(pathStripBackslash(text), 0);
    EXPECT_STREQ(text, "x");
    strcpy(text, "\\");
    EXPECT_EQ(pathStripBackslash(text), 1);
    EXPECT_STREQ(text, "");
    strcpy(text, "D:\\a\\");
    EXPECT_EQ(pathStripBackslash(text), 1);
    EXPECT_STREQ(text, "D:\\a");
    strcpy(text, "");
    EXPECT_EQ(pathStripBackslash(text), 0);

    strcpy(text, joined("D:\\", kHyou).c_str());
    if (doubleByteCodePage()) {
        EXPECT_EQ(pathStripBackslash(text), 0);
        EXPECT_EQ(std::string(text), joined("D:\\", kHyou));
    } else {
        EXPECT_EQ(pathStripBackslash(text), 1);
        EXPECT_STREQ(text, "D:\\\x95");
    }
}

TEST(PathFileName, PointsPastTheLastBackslashCharacter) {
    EXPECT_STREQ(pathFileName("D:\\a\\b.jpg"), "b.jpg");
    EXPECT_STREQ(pathFileName("b.jpg"), "b.jpg");
    EXPECT_STREQ(pathFileName("D:\\a\\"), "");

    std::string path = joined("D:\\dir\\", kSo, ".jpg");
    const char* name = pathFileName(path.c_str());
    if (doubleByteCodePage()) {
        EXPECT_EQ(std::string(name), joined(kSo, ".jpg"));
    } else {
        EXPECT_STREQ(name, ".jpg");
    }
    std::string inDir = joined("D:\\", kHyou, "\\x.jpg");
    EXPECT_STREQ(pathFileName(inDir.c_str()), "x.jpg");
}

TEST(StrLastChar, FindsTheLastCharacterThatIsTheByte) {
    const char* path = "D:\\x.y\\name";
    EXPECT_EQ(strLastChar(path, '.'), path + 4);
    EXPECT_EQ(strLastChar(path, '?'), nullptr);

    std::string text = joined("a\\", kHyou);
    const char* found = strLastChar(text.c_str(), '\\');
    EXPECT_EQ(found - text.c_str(), doubleByteCodePage() ? 1 : 3);
}

TEST(StrFirstChar, FindsTheFirstCharacterThatIsTheByteOrTheTerminator) {
    const char* text = "abc";
    EXPECT_EQ(strFirstChar(text, '\0'), text + 3);
    EXPECT_EQ(strFirstChar(text, 'b'), text + 1);
    EXPECT_EQ(strFirstChar(text, 'z'), nullptr);

    std::string wide = joined(kA, "A");
    EXPECT_EQ(strFirstChar(wide.c_str(), 'A') - wide.c_str(), doubleByteCodePage() ? 2 : 1);
}

TEST(StrFind, FindsThePatternAtACharacterPosition) {
    const char* text = "xxabyy";
    EXPECT_EQ(strFind(text, "ab"), text + 2);
    EXPECT_EQ(strFind(text, "yyz"), nullptr);
    EXPECT_EQ(strFind(text, "abc"), nullptr);
    EXPECT_EQ(strFind(text, ""), text);
    EXPECT_EQ(strFind("", ""), nullptr);
    EXPECT_EQ(strFind("", "a"), nullptr);
}

TEST(StrFind, NeverMatchesHalfOfADoubleByteCharacter) {
    std::string text = joined(kA, "x");
    const char* found = strFind(text.c_str(), "A");
    if (doubleByteCodePage()) {
        EXPECT_EQ(found, nullptr);
    } else {
        EXPECT_EQ(found, text.c_str() + 1);
    }

    std::string pair = joined(kHyou, kSo);
    found = strFind(pair.c_str(), "\\\x83");
    if (doubleByteCodePage()) {
        EXPECT_EQ(found, nullptr);
    } else {
        EXPECT_EQ(found, pair.c_str() + 1);
    }
}

TEST(StrFind, ComparesWholeCharactersNotFirstBytes) {
    // Same first byte, different second byte: different characters.
    std::string text = joined("D:\\", kA, "\\pics");
    EXPECT_EQ(strFind(text.c_str(), "\x83\x42"), nullptr);
    EXPECT_EQ(strFind(text.c_str(), kA), text.c_str() + 3);
    std::string withSo = joined("x", kSo);
    EXPECT_EQ(strFind(withSo.c_str(), kHyou), nullptr);
}

TEST(StrLowerAscii, LowersLettersButNeverASecondByte) {
    char text[32] = "ABC.JPG";
    EXPECT_EQ(strLowerAscii(text), text);
    EXPECT_STREQ(text, "abc.jpg");

    strcpy(text, joined(kA, "B").c_str());
    strLowerAscii(text);
    if (doubleByteCodePage()) {
        EXPECT_EQ(std::string(text), joined(kA, "b"));
    } else {
        EXPECT_STREQ(text, "\x83" "ab");
    }

    strcpy(text, "\xC4Z");
    strLowerAscii(text);
    EXPECT_STREQ(text, "\xC4z");
}

TEST(StrDupExtra, CopiesWithRoomForMore) {
    char* copy = strDupExtra("abc", 5);
    ASSERT_NE(copy, nullptr);
    EXPECT_STREQ(copy, "abc");
    memcpy(copy + 3, "defgh", 5);
    copy[8] = '\0';
    EXPECT_STREQ(copy, "abcdefgh");
    textFree(copy);
}

TEST(ParseDigits, ReadsTheLeadingRunOfDigits) {
    EXPECT_EQ(parseDigits("1024 x 768"), 1024);
    EXPECT_EQ(parseDigits(" 12"), 0);
    EXPECT_EQ(parseDigits(""), 0);
    EXPECT_EQ(parseDigits("007x"), 7);
    EXPECT_EQ(parseDigits("-5"), 0);
    EXPECT_EQ(parseDigits("4294967295"), -1);
}

TEST(StrCopyFit, CopiesWholeOrNotAtAll) {
    char buffer[4] = "old";
    EXPECT_EQ(strCopyFit(buffer, sizeof buffer, "abcd"), 0);
    EXPECT_STREQ(buffer, "old");
    EXPECT_EQ(strCopyFit(buffer, sizeof buffer, "abc"), 1);
    EXPECT_STREQ(buffer, "abc");
    char path[6] = "ab";
    EXPECT_EQ(strAppendFit(path, sizeof path, "cdef"), 0);
    EXPECT_STREQ(path, "ab");
    EXPECT_EQ(strAppendFit(path, sizeof path, "cde"), 1);
    EXPECT_STREQ(path, "abcde");
}

#ifdef _WIN32

class MakeDirs : public ::testing::Test {
protected:
    static bool isDirectory(const std::string& path) {
        DWORD attributes = GetFileAttributesA(path.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    }
    static std::string currentDirectory() {
        char dir[MAX_PATH];
        GetCurrentDirectoryA(sizeof dir, dir);
        return dir;
    }
    TempFolder folder;
    const std::string& base = folder.path;
};

TEST_F(MakeDirs, CreatesEveryMissingLevelAndKeepsTheCurrentDirectory) {
    std::string before = currentDirectory();
    std::string path = base + "\\a\\b\\c";
    EXPECT_EQ(pathMakeDirs(path.c_str()), 1);
    EXPECT_TRUE(isDirectory(base + "\\a\\b\\c"));
    EXPECT_EQ(currentDirectory(), before);

    EXPECT_EQ(pathMakeDirs((path + "\\").c_str()), 1);
    EXPECT_TRUE(isDirectory(path));
}

TEST_F(MakeDirs, CreatesLevelsNamedWithDoubleByteCharacters) {
    std::string path = joined((base + "\\").c_str(), kHyou, "\\sub");
    EXPECT_EQ(pathMakeDirs(path.c_str()), 1);
    EXPECT_TRUE(isDirectory(path));
}

TEST_F(MakeDirs, RefusesAPathThatDoesNotFitAPathBuffer) {
    std::string longName(300 - base.size(), 'n');
    EXPECT_EQ(pathMakeDirs((base + "\\" + longName).c_str()), 0);
    // 259 characters leave no room for the trailing backslash.
    std::string edge = base + "\\" + std::string(259 - base.size() - 1, 'e');
    ASSERT_EQ(edge.size(), 259u);
    EXPECT_EQ(pathMakeDirs(edge.c_str()), 0);
    EXPECT_FALSE(isDirectory(edge));
    EXPECT_FALSE(isDirectory(base + "\\" + longName.substr(0, 100)));
}

#endif

}  // namespace
