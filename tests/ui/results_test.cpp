// The result store on its own: rows appended from the worker's batches,
// their paths, check marks, removal and sorting.
#include <gtest/gtest.h>

#include <string.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "support/batch.h"
#include "ui/results.h"

namespace {

struct Row {
    std::string name, size, folder;
};

// Appends rows as one batch; consecutive rows of one folder share its text,
// as the worker's rows do. With keyed, each name comes with a sort key that
// orders the names backwards.
void append(ResultStore& store, const std::vector<Row>& rows, bool keyed = false) {
    auto batch = std::make_unique<RowBatch>();
    batch->used = 1;
    auto add = [&](const std::string& text) { return batchText(*batch, text); };
    const std::string* folder = nullptr;
    uint32_t folderAt = 0;
    for (const Row& row : rows) {
        FoundRow& found = batch->rows[batch->count++];
        if (keyed) {
            std::string key;
            for (unsigned char c : row.name) key += static_cast<char>(255 - c);
            found.nameKey = add(key);
            found.nameKeyLength = static_cast<uint32_t>(key.size());
        }
        found.text[kResultColumnFileName] = add(row.name);
        found.text[kResultColumnFileSize] = add(row.size);
        if (!folder || *folder != row.folder) folderAt = add(row.folder);
        folder = &row.folder;
        found.text[kResultColumnFullPath] = folderAt;
    }
    ASSERT_EQ(resultsAppend(store, *batch), 1);
}

std::string names(const ResultStore& store) {
    std::string all;
    for (uint32_t i = 0; i < store.count; ++i) all += (i ? "," : "") + std::string(resultsRow(store, i).text[0]);
    return all;
}

// The host has no locale: keys are the bytes, so texts order as strcmp does.
size_t byteKey(const char* text, size_t length, unsigned char* key, size_t size) {
    if (length > size) return 0;
    memcpy(key, text, length);
    return length;
}

struct Store : ::testing::Test {
    void TearDown() override { resultsClear(store); }
    ResultStore store = {};
};

TEST_F(Store, BatchesAppendInOrderWithTheirTextsNumbersAndInsertIndex) {
    append(store, {{"a.png", "20", "C:\\p"}, {"b.png", "", "C:\\p"}});
    append(store, {{"c.png", "4294967297", "C:\\q"}, {"d.png", "-5", "C:\\q"}});
    ASSERT_EQ(store.count, 4u);
    EXPECT_EQ(names(store), "a.png,b.png,c.png,d.png");
    const uint32_t sizes[] = {20, 0, 1, 0};  // a run past 32 bits wraps; no sign
    for (uint32_t i = 0; i < 4; ++i) {
        EXPECT_EQ(store.rows[i].insertIndex, i);
        EXPECT_EQ(store.rows[i].fileSize, sizes[i]);
        EXPECT_EQ(store.rows[i].check, kCheckImageUnchecked);
        EXPECT_STREQ(store.rows[i].text[kResultColumnHandledBy], "");
    }
    EXPECT_STREQ(store.rows[3].text[kResultColumnFullPath], "C:\\q");
    // A batch that claims more rows than it can hold adds none.
    auto bad = std::make_unique<RowBatch>();
    bad->count = kBatchRows + 1;
    EXPECT_EQ(resultsAppend(store, *bad), 0);
    EXPECT_EQ(store.count, 4u);
}

TEST_F(Store, ARowPathJoinsFolderAndNameOrIsRefusedWhole) {
    struct Case {
        std::string folder, name;
        size_t size;
        int fits;
        const char* path;
    } cases[] = {
        {"D:\\walls", "dawn.jpg", 260, 1, "D:\\walls\\dawn.jpg"},
        {"D:\\", "x.png", 260, 1, "D:\\x.png"},
        {"D:\\w", "x.png", 11, 1, "D:\\w\\x.png"},
        {"D:\\w", "x.png", 10, 0, ""},
        {"D:\\" + std::string(200, 'f'), std::string(100, 'n'), 260, 0, ""},
    };
    for (const Case& c : cases) {
        append(store, {{c.name, "1", c.folder}});
        char path[260] = "junk";
        EXPECT_EQ(resultsRowPath(store, store.count - 1, path, c.size), c.fits) << c.folder;
        EXPECT_STREQ(path, c.path);
    }
    char path[8] = "junk";
    EXPECT_EQ(resultsRowPath(store, store.count, path, sizeof path), 0);
    EXPECT_STREQ(path, "");
}

TEST_F(Store, RemovedRowsLeaveAtCompactionAndTheRestKeepTheirOrderAndMarks) {
    struct Case {
        std::vector<uint32_t> checked, removed;
        const char* left;
        uint32_t checkedLeft;
    } cases[] = {
        {{0, 1, 2, 3, 4}, {}, "r0,r1,r2,r3,r4", 5},
        {{0, 1, 2, 3, 4}, {0, 1, 2, 3, 4}, "", 0},
        {{1, 3}, {1, 3}, "r0,r2,r4", 0},
        {{0, 2, 4}, {0, 4}, "r1,r2,r3", 1},
        {{1, 2, 4}, {1, 2}, "r0,r3,r4", 1},
    };
    // The rows leave only at the end, or as the walk goes (after every row,
    // every second): each way leaves the same rows.
    for (uint32_t every : {0u, 1u, 2u}) {
        for (const Case& c : cases) {
            resultsClear(store);
            append(store, {{"r0", "", ""}, {"r1", "", ""}, {"r2", "", ""}, {"r3", "", ""}, {"r4", "", ""}});
            for (uint32_t row : c.checked) resultsCheckToggle(store, row);
            // A file action's walk: each checked row in turn, some settled as
            // removed; names the walk met, checked against the case.
            std::vector<std::string> visited;
            uint32_t settled = 0;
            for (int32_t row = resultsNextChecked(store, 0); row >= 0;) {
                std::string name = resultsRow(store, row).text[0];
                visited.push_back(name);
                for (uint32_t gone : c.removed)
                    if (name == "r" + std::to_string(gone)) resultsMarkRemoved(store, row);
                uint32_t from = static_cast<uint32_t>(row) + 1;
                if (every && ++settled % every == 0) from -= resultsCompactTo(store, from);
                row = resultsNextChecked(store, from);
            }
            ASSERT_EQ(visited.size(), c.checked.size()) << c.left << " every " << every;
            for (size_t i = 0; i < visited.size(); ++i) EXPECT_EQ(visited[i], "r" + std::to_string(c.checked[i]));
            resultsCompact(store);
            EXPECT_EQ(store.count + c.removed.size(), 5u);
            EXPECT_EQ(names(store), c.left) << " every " << every;
            EXPECT_EQ(resultsCheckedCount(store), c.checkedLeft) << c.left;
            EXPECT_EQ(store.marked, 0u);
            EXPECT_EQ(store.gap, 0u);
        }
    }
}

TEST_F(Store, ChecksSetInvertAndToggle) {
    append(store, {{"a", "", ""}, {"b", "", ""}, {"c", "", ""}});
    resultsCheckToggle(store, 1);
    store.rows[2].check = 0;  // no image counts as checked; inverting unchecks it
    EXPECT_EQ(resultsCheckedCount(store), 2u);
    resultsCheckInvert(store);
    std::string marks;
    for (uint32_t i = 0; i < store.count; ++i) marks += std::to_string(store.rows[i].check);
    EXPECT_EQ(marks, "211");
    resultsCheckAll(store, kCheckImageChecked);
    EXPECT_EQ(resultsCheckedCount(store), 3u);
}

TEST_F(Store, SortsCycleThroughColumnsAndReturnToTheOrderFound) {
    append(store, {{"b.png", "20", "C:\\y"}, {"c.png", "3", "C:\\x"}, {"a.png", "100", "C:\\y"}});
    append(store, {{"d.png", "3", "C:\\x"}});
    struct Step {
        int column;
        bool descending;
        const char* order;
    } steps[] = {
        {kResultColumnFileName, false, "a.png,b.png,c.png,d.png"},
        {kResultColumnFileName, true, "d.png,c.png,b.png,a.png"},
        {-1, false, "b.png,c.png,a.png,d.png"},
        {kResultColumnFileSize, false, "c.png,d.png,b.png,a.png"},
        {kResultColumnFileSize, true, "a.png,b.png,c.png,d.png"},
        // Equal keys keep the order they had.
        {kResultColumnFullPath, false, "c.png,d.png,a.png,b.png"},
        {kResultColumnPictureSize, false, "c.png,d.png,a.png,b.png"},
        {kResultColumnFullPath, true, "a.png,b.png,c.png,d.png"},
    };
    for (const Step& s : steps) {
        ASSERT_EQ(resultsSort(store, s.column, s.descending, byteKey), 1);
        EXPECT_EQ(names(store), s.order) << s.column << (s.descending ? " descending" : "");
    }
    // After rows left and more came, a sort still covers every row.
    resultsMarkRemoved(store, 0);
    resultsCompact(store);
    append(store, {{"0.png", "7", "C:\\z"}});
    ASSERT_EQ(resultsSort(store, kResultColumnFileName, false, byteKey), 1);
    EXPECT_EQ(names(store), "0.png,b.png,c.png,d.png");
    EXPECT_EQ(resultsFindInsertIndex(store, 4), 0);
    EXPECT_EQ(resultsFindInsertIndex(store, 0), 1);
    EXPECT_EQ(resultsFindInsertIndex(store, 2), -1);  // a.png left
}

TEST_F(Store, ANameSortUsesTheKeysTheWorkerMade) {
    append(store, {{"a.png", "", ""}, {"c.png", "", ""}}, true);
    append(store, {{"b.png", "", ""}});  // no key: made at the sort
    ASSERT_EQ(resultsSort(store, kResultColumnFileName, false, byteKey), 1);
    // The worker's keys put c before a; b's own key, by its bytes, sorts
    // before both of their inverted ones.
    EXPECT_EQ(names(store), "b.png,c.png,a.png");
}

TEST_F(Store, OnlyTheFirst29BytesCountAndADoubleByteCharacterIsNotCut) {
    const std::string head(28, 'x');
    // Byte 29 starts a double-byte character in the first name: it is left
    // out whole, so the names compare equal and keep their order.
    append(store, {{head + "\x83\xa0", "", ""}, {head + "\x82\xa0", "", ""},
                   {head + "zb", "", ""}, {head + "za", "", ""}});
    ASSERT_EQ(resultsSort(store, kResultColumnFileName, false, byteKey), 1);
    for (uint32_t i = 0; i < store.count; ++i) EXPECT_EQ(store.rows[i].insertIndex, i);
}

}  // namespace
