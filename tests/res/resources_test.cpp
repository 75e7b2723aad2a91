// The resources of trawlix.exe itself, read from the built executable: the
// string table in both languages, the menus, dialog templates, icon,
// toolbar strip, version record and manifest.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/arch.h"
#include "resource.h"
#include "support/codepage.h"
#include "support/testdirs.h"

namespace {

constexpr WORD kEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
constexpr WORD kJapanese = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);

const int kStringIds[] = {
    1, 2, 3, 4, 5, 6, 7, 8, 9, 1000, 1001, 1002, 1003,
    2000, 2001, 2002, 2003, 2004, 2005, 2006, 2007, 2008,
    3000, 3001, 3003, 3004, 3005, 3006, 3007, 3008, 3009, 3010, 3011, 3012, 3013, 3014,
    3015, 3016, 3017, 3018, 3019, 3020, 3021, 3022, 3023, 3024, 3025, 3026, 3027, 3028, 3029, 3030,
    40001, 40002, 40003, 40004, 40005, 40006, 40007, 40008, 40009, 40010, 40011,
    40022, 40041, 40044,
};

class Resources : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        exePath = buildPath("trawlix.exe");
        module = LoadLibraryExA(exePath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    }
    static void TearDownTestSuite() { FreeLibrary(module); }
    void SetUp() override { ASSERT_NE(module, nullptr) << exePath; }

    static const void* resource(LPCSTR type, int id, WORD language, DWORD* size = nullptr) {
        HRSRC found = FindResourceExA(module, type, MAKEINTRESOURCEA(id), language);
        if (!found) return nullptr;
        if (size) *size = SizeofResource(module, found);
        return LockResource(LoadResource(module, found));
    }

    // One string of a language's table, read from its block of sixteen
    // counted UTF-16 texts; empty when absent.
    static std::wstring tableString(int id, WORD language) {
        const WCHAR* p = static_cast<const WCHAR*>(resource(RT_STRING, id / 16 + 1, language));
        if (!p) return L"";
        for (int i = 0; i < id % 16; ++i) p += 1 + *p;
        return std::wstring(p + 1, *p);
    }

    static int stringsInTable(WORD language) {
        int count = 0;
        for (int block = 1; block <= 65535 / 16 + 1; ++block) {
            const WCHAR* p = static_cast<const WCHAR*>(resource(RT_STRING, block, language));
            for (int i = 0; p && i < 16; ++i, p += 1 + *p) count += *p != 0;
        }
        return count;
    }

    static std::string exePath;
    static HMODULE module;
};

std::string Resources::exePath;
HMODULE Resources::module = nullptr;

TEST_F(Resources, EveryStringExistsInEnglishAndJapanese) {
    for (int id : kStringIds) {
        EXPECT_FALSE(tableString(id, kEnglish).empty()) << id;
        EXPECT_FALSE(tableString(id, kJapanese).empty()) << id;
    }
    const int expected = sizeof kStringIds / sizeof kStringIds[0];
    EXPECT_EQ(stringsInTable(kEnglish), expected);
    EXPECT_EQ(stringsInTable(kJapanese), expected);
}

TEST_F(Resources, EnglishTextsStandAsQuoted) {
    EXPECT_EQ(tableString(4, kEnglish),
              L"Failed to dividerInit.\nPerhaps, this shows that RegisterClassEx in \"divider\" failed.\n"
              L"Application will exit now.");
    EXPECT_EQ(tableString(3007, kEnglish), L"No checked to files.\nPlease check in the processed file. \n");
    EXPECT_EQ(tableString(3008, kEnglish), L"Are you sure to delete ConditionSet \"%s\"?");
    EXPECT_EQ(tableString(3010, kEnglish), L"%u File(s), Total %u byte(s) found.");
    EXPECT_EQ(tableString(40010, kEnglish), L"HatenaBox");
}

TEST_F(Resources, JapaneseTextsKeepTheTitleAndTheEnglishDiagnostics) {
    for (int id : {3, 6, 3013}) {
        EXPECT_EQ(tableString(id, kJapanese), tableString(id, kEnglish)) << id;
    }
    EXPECT_EQ(tableString(1001, kJapanese), L"\x30A8\x30E9\x30FC");  // "error"
    // Format strings keep their fields in the same order.
    EXPECT_NE(tableString(3005, kJapanese).find(L"%d"), std::wstring::npos);
    EXPECT_LT(tableString(3005, kJapanese).find(L"%d"), tableString(3005, kJapanese).find(L"%s"));
}

TEST_F(Resources, TheLoaderPicksTheTableOfTheUserLanguage) {
    char text[64] = {};
    ASSERT_GT(LoadStringA(module, IDS_CAPTION_ERROR, text, sizeof text), 0);
    if (doubleByteCodePage()) {
        EXPECT_STREQ(text, "\x83\x47\x83\x89\x81\x5B");  // Japanese "error" in code page 932
    } else {
        EXPECT_STREQ(text, "Error");
    }
}

struct MenuItem {
    UINT id;
    bool grayed;
};

// The items of a menu by position, separators and submenus as id 0, each
// submenu followed by its items.
std::vector<MenuItem> menuItems(HMENU menu) {
    std::vector<MenuItem> items;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        MENUITEMINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_ID | MIIM_STATE | MIIM_SUBMENU | MIIM_FTYPE;
        GetMenuItemInfoA(menu, i, TRUE, &info);
        items.push_back({info.hSubMenu ? 0 : info.wID, (info.fState & MFS_GRAYED) != 0});
        if (info.hSubMenu) {
            std::vector<MenuItem> sub = menuItems(info.hSubMenu);
            items.insert(items.end(), sub.begin(), sub.end());
        }
    }
    return items;
}

TEST_F(Resources, DropDownMenusHoldTheirItemsInOrder) {
    struct Expected {
        int menu;
        std::vector<UINT> ids;
    };
    const Expected menus[] = {
        {IDR_MENU_SEARCH, {1, 0, 40015}},
        {IDR_MENU_CHECK, {40016, 40017, 40018}},
        {IDR_MENU_COPY, {1, 0, 40015}},
        {IDR_MENU_MOVE, {1, 0, 40015}},
        {IDR_MENU_HELP, {40020, 0, 40021}},
        {IDR_MENU_SETS, {1, 0, 40015}},
        {IDR_MENU_TRASH, {40042, 40043}},
        {IDR_MENU_WALLPAPER, {40045, 40046, 40047, 0, 40048}},
        {IDR_MENU_SETTINGS,
         {0, 40051, 40052, 40053, 40054, 0, 40055, 40056, 40057, 0, 0, 40038, 40031, 0, 0, 40028,
          40030, 0, 40032, 40034, 40035, 40036, 0, 40023, 0, 0, 40050, 40049, 0, 0, 40029, 40058, 0,
          0, 40024, 40025, 40026, 0, 40059, 40027, 0, 0, 40039}},
    };
    for (const Expected& e : menus) {
        const void* data = resource(RT_MENU, e.menu, kJapanese);
        ASSERT_NE(data, nullptr) << e.menu;
        HMENU menu = LoadMenuIndirectA(data);
        std::vector<MenuItem> items = menuItems(menu);
        ASSERT_EQ(items.size(), e.ids.size()) << e.menu;
        for (size_t i = 0; i < items.size(); ++i) EXPECT_EQ(items[i].id, e.ids[i]) << e.menu << " #" << i;
        for (const MenuItem& item : items) {
            bool shouldBeGrayed = item.id == 40015 || item.id == 40028 || item.id == 40023 || item.id == 40058;
            if (item.id != 0) {
                EXPECT_EQ(item.grayed, shouldBeGrayed) << e.menu << " item " << item.id;
            }
        }
        DestroyMenu(menu);
    }
    HMENU bar = LoadMenuIndirectA(resource(RT_MENU, IDR_MENU_BAR, kJapanese));
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(GetMenuItemCount(bar), 3);
    EXPECT_EQ(GetMenuItemID(GetSubMenu(bar, 0), 0), static_cast<UINT>(CMD_ADD_CONDITION));
    DestroyMenu(bar);
}

struct DialogControl {
    int id;
    short x, y, cx, cy;
};

struct DialogTemplate {
    short cx = 0, cy = 0;
    DWORD style = 0;
    std::wstring caption, font;
    WORD pointSize = 0;
    std::vector<DialogControl> controls;
};

// Reads an extended dialog template: header, menu, class, caption, font,
// then each control aligned to four bytes.
DialogTemplate parseDialog(const void* data) {
    DialogTemplate t;
    const WORD* p = static_cast<const WORD*>(data);
    auto skipText = [&p]() {
        std::wstring text;
        if (*p == 0xFFFF) {
            p += 2;
        } else {
            while (*p) text += static_cast<wchar_t>(*p++);
            ++p;
        }
        return text;
    };
    auto dword = [&p](int at) { return DWORD(p[at]) | DWORD(p[at + 1]) << 16; };
    t.style = dword(6);
    WORD count = p[8];
    t.cx = static_cast<short>(p[11]);
    t.cy = static_cast<short>(p[12]);
    p += 13;
    skipText();  // menu
    skipText();  // class
    t.caption = skipText();
    t.pointSize = p[0];
    p += 3;  // point size, weight, italic and charset
    t.font = skipText();
    for (WORD i = 0; i < count; ++i) {
        p = reinterpret_cast<const WORD*>((reinterpret_cast<UINT_PTR>(p) + 3) & ~UINT_PTR(3));
        DialogControl c;
        c.x = static_cast<short>(p[6]);
        c.y = static_cast<short>(p[7]);
        c.cx = static_cast<short>(p[8]);
        c.cy = static_cast<short>(p[9]);
        c.id = static_cast<int>(dword(10));
        p += 12;
        skipText();  // class
        skipText();  // title
        WORD extra = *p++;
        p = reinterpret_cast<const WORD*>(reinterpret_cast<const BYTE*>(p) + extra);
        t.controls.push_back(c);
    }
    return t;
}

TEST_F(Resources, DialogTemplatesHaveTheirSizesAndControls) {
    struct Expected {
        int dialog;
        short cx, cy;
        std::vector<DialogControl> controls;
    };
    const Expected dialogs[] = {
        {IDD_ABOUT, 190, 95, {{1007, 85, 5, 20, 20}, {-1, 5, 35, 180, 8}, {1000, 5, 45, 180, 8},
                              {-1, 5, 55, 180, 8}, {1, 130, 70, 50, 14}}},
        {IDD_DIRECTORY, 239, 49, {{1001, 5, 5, 235, 8}, {1002, 5, 15, 180, 14}, {1003, 185, 15, 50, 14},
                                  {1015, 5, 32, 94, 10}, {1, 135, 30, 50, 14}, {2, 185, 30, 50, 14}}},
        {IDD_CONDITION_STRIP, 125, 14, {{1004, 0, 0, 25, 14}, {-1, 30, 5, 8, 8}, {1005, 40, 0, 25, 14},
                                        {1006, 70, 0, 30, 80}, {1, 100, 0, 25, 14}}},
        {IDD_EXCLUDE_STRIP, 125, 14, {{1002, 0, 0, 85, 14}, {1003, 85, 0, 15, 14}, {1, 100, 0, 25, 14}}},
        {IDD_PLUGINS, 247, 198, {{-1, 5, 5, 240, 15}, {1010, 5, 25, 185, 170}, {1012, 195, 25, 50, 14},
                                 {1013, 195, 40, 50, 14}, {1011, 195, 65, 50, 14}, {1, 195, 80, 50, 14}}},
        {IDD_SET_NAME_STRIP, 125, 14, {{1014, 0, 0, 100, 14}, {1, 100, 0, 25, 14}}},
    };
    for (const Expected& e : dialogs) {
        const void* data = resource(RT_DIALOG, e.dialog, kJapanese);
        ASSERT_NE(data, nullptr) << e.dialog;
        DialogTemplate t = parseDialog(data);
        EXPECT_EQ(t.cx, e.cx) << e.dialog;
        EXPECT_EQ(t.cy, e.cy) << e.dialog;
        EXPECT_EQ(t.pointSize, 9) << e.dialog;
        EXPECT_EQ(t.font, L"\xFF2D\xFF33 \xFF30\x30B4\x30B7\x30C3\x30AF") << e.dialog;
        ASSERT_EQ(t.controls.size(), e.controls.size()) << e.dialog;
        for (size_t i = 0; i < t.controls.size(); ++i) {
            const DialogControl& got = t.controls[i];
            const DialogControl& want = e.controls[i];
            EXPECT_EQ(got.id == 0xFFFF ? -1 : got.id, want.id) << e.dialog << " #" << i;
            EXPECT_EQ(got.x, want.x) << e.dialog << " #" << i;
            EXPECT_EQ(got.y, want.y) << e.dialog << " #" << i;
            EXPECT_EQ(got.cx, want.cx) << e.dialog << " #" << i;
            EXPECT_EQ(got.cy, want.cy) << e.dialog << " #" << i;
        }
    }
    DialogTemplate strip = parseDialog(resource(RT_DIALOG, IDD_CONDITION_STRIP, kJapanese));
    EXPECT_EQ(strip.style & WS_DLGFRAME, 0u);  // a border, but no caption
    EXPECT_NE(strip.style & WS_BORDER, 0u);
    DialogTemplate plugins = parseDialog(resource(RT_DIALOG, IDD_PLUGINS, kJapanese));
    EXPECT_NE(plugins.style & WS_THICKFRAME, 0u);
    EXPECT_EQ(plugins.style & WS_SYSMENU, 0u);
}

TEST_F(Resources, IconHasTwoImages) {
    const BYTE* group = static_cast<const BYTE*>(resource(RT_GROUP_ICON, IDI_APP, MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL)));
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group[4] | group[5] << 8, 2);
}

TEST_F(Resources, ToolbarStripIsFourteenSixteenColourPictures) {
    const BITMAPINFOHEADER* header = static_cast<const BITMAPINFOHEADER*>(
        resource(RT_BITMAP, IDB_TOOLBAR, MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL)));
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(header->biWidth, 14 * 16);
    EXPECT_EQ(header->biHeight, 16);
    EXPECT_EQ(header->biBitCount, 4);
    HBITMAP strip = static_cast<HBITMAP>(
        LoadImageA(module, MAKEINTRESOURCEA(IDB_TOOLBAR), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    ASSERT_NE(strip, nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, strip);
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(255, 0, 255));  // transparent corner
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(strip);
}

TEST_F(Resources, VersionRecordNamesTheProgram) {
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(exePath.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<char> block(size);
    ASSERT_TRUE(GetFileVersionInfoA(exePath.c_str(), 0, size, block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010001u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010001u);
    char* text = nullptr;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\StringFileInfo\\041104b0\\OriginalFilename",
                               reinterpret_cast<void**>(&text), &length));
    EXPECT_STREQ(text, "trawlix.exe");
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\StringFileInfo\\041104b0\\ProductName",
                               reinterpret_cast<void**>(&text), &length));
    EXPECT_STREQ(text, "trawlix");
}

// Of the build's own processor: a dependency of another one never binds.
TEST_F(Resources, ManifestAsksForCommonControlsSixOfTheBuildsArchitecture) {
    DWORD size = 0;
    const char* manifest = static_cast<const char*>(
        resource(RT_MANIFEST, 1, MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL), &size));
    ASSERT_NE(manifest, nullptr);
    std::string text(manifest, size);
    EXPECT_NE(text.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""), std::string::npos);
    const std::string mine = std::string("processorArchitecture=\"") + kManifestArchitecture + "\"";
    size_t named = 0, mineNamed = 0;
    for (size_t at = 0; (at = text.find("processorArchitecture=", at)) != std::string::npos; ++at) {
        ++named;
        if (text.compare(at, mine.size(), mine) == 0) ++mineNamed;
    }
    EXPECT_EQ(named, 2u);  // the program's identity and its common-controls dependency
    EXPECT_EQ(mineNamed, named);
}

}  // namespace
