#include "support/notices.h"

#include "search/header.h"

static NoticeWatch* current = nullptr;

void noticeWatchBegin(NoticeWatch& watch) {
    current = &watch;
}

void noticeWatchEnd() {
    current = nullptr;
}

void probeShowNoFrame(HWND owner) {
    if (!current) return;
    ++current->count;
    current->text = "no frame";
    current->owner = owner;
}
