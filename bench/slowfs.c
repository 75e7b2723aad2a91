/* A read-only view of a folder through FUSE whose every open waits a fixed
 * time, as a network share or a spinning disk makes an open cost: the slow
 * disk the search benchmark walks. Counts the opens and writes the count to
 * a file when unmounted.
 * Usage: slowfs SOURCE MOUNTPOINT DELAY_US COUNT_FILE [fuse options] */
#define FUSE_USE_VERSION 31
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <fuse3/fuse.h>
#include <limits.h>
#include <stdatomic.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

static const char* source;
static const char* countFile;
static useconds_t delay;
static atomic_ulong opens;

static int real(const char* path, char* out) {
    return snprintf(out, PATH_MAX, "%s%s", source, path) < PATH_MAX ? 0 : -ENAMETOOLONG;
}

static int slowGetattr(const char* path, struct stat* st, struct fuse_file_info* fi) {
    (void)fi;
    char full[PATH_MAX];
    if (real(path, full)) return -ENAMETOOLONG;
    return lstat(full, st) ? -errno : 0;
}

static int slowReaddir(const char* path, void* buffer, fuse_fill_dir_t fill, off_t offset, struct fuse_file_info* fi,
                       enum fuse_readdir_flags flags) {
    (void)offset, (void)fi, (void)flags;
    char full[PATH_MAX];
    if (real(path, full)) return -ENAMETOOLONG;
    DIR* dir = opendir(full);
    if (!dir) return -errno;
    for (struct dirent* e; (e = readdir(dir));) {
        struct stat st = {0};
        st.st_ino = e->d_ino;
        st.st_mode = (mode_t)e->d_type << 12;
        if (fill(buffer, e->d_name, &st, 0, 0)) break;
    }
    closedir(dir);
    return 0;
}

static int slowOpen(const char* path, struct fuse_file_info* fi) {
    if ((fi->flags & O_ACCMODE) != O_RDONLY) return -EROFS;
    char full[PATH_MAX];
    if (real(path, full)) return -ENAMETOOLONG;
    atomic_fetch_add(&opens, 1);
    usleep(delay);
    int fd = open(full, O_RDONLY);
    if (fd < 0) return -errno;
    fi->fh = (uint64_t)fd;
    return 0;
}

static int slowRead(const char* path, char* buffer, size_t size, off_t offset, struct fuse_file_info* fi) {
    (void)path;
    ssize_t got = pread((int)fi->fh, buffer, size, offset);
    return got < 0 ? -errno : (int)got;
}

static int slowRelease(const char* path, struct fuse_file_info* fi) {
    (void)path;
    close((int)fi->fh);
    return 0;
}

static void slowDestroy(void* data) {
    (void)data;
    FILE* f = fopen(countFile, "w");
    if (f) {
        fprintf(f, "%lu\n", (unsigned long)atomic_load(&opens));
        fclose(f);
    }
}

static const struct fuse_operations operations = {
    .getattr = slowGetattr,
    .readdir = slowReaddir,
    .open = slowOpen,
    .read = slowRead,
    .release = slowRelease,
    .destroy = slowDestroy,
};

int main(int argc, char** argv) {
    if (argc < 5) {
        fprintf(stderr, "usage: slowfs SOURCE MOUNTPOINT DELAY_US COUNT_FILE [fuse options]\n");
        return 2;
    }
    source = argv[1];
    delay = (useconds_t)strtoul(argv[3], NULL, 10);
    countFile = argv[4];
    char* args[16] = {argv[0], argv[2], "-f", "-o", "ro,default_permissions"};
    int count = 5;
    for (int i = 5; i < argc && count < 15; ++i) args[count++] = argv[i];
    return fuse_main(count, args, &operations, NULL);
}
