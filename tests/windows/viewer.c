/* A small Windows icon viewer for the Windows check: loads icons through the
   Windows icon calls and writes out what DrawIconEx draws, so the check sees
   our icons as a real Windows client shows them.

   viewer.exe <job list> <output folder>

   Each line of the job list (UTF-8, tab-separated) names one load:
     E <id> <.ico> <offset> <length> <width> <height>  CreateIconFromResourceEx
                                                         on the entry's bytes
     F <id> <.ico> <width> <height>                      LoadImageW, LR_LOADFROMFILE
     X <id> <.exe>                                       ExtractIconW, icon 0
   For each load, <output folder>\<id>.raw gets width and height (32 bits
   each, little-endian) and the drawing over black, then over white: rows top
   first, 4 bytes a pixel (blue, green, red, unused). status.txt beside them
   gets "<id> ok", "<id> none" (an executable without icons) or
   "<id> fail <what> <error>" per line. */

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <shellapi.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

#define MAX_FIELDS 8

static FILE* status_file;

static wchar_t* widen(const char* s) {
    int n = MultiByteToWideChar(CP_UTF8, 0, s, -1, NULL, 0);
    wchar_t* w = (wchar_t*)malloc(sizeof(wchar_t) * (size_t)(n > 0 ? n : 1));
    if (!w) exit(3);
    if (n <= 0) w[0] = 0; else MultiByteToWideChar(CP_UTF8, 0, s, -1, w, n);
    return w;
}

static void fail(const char* id, const char* what) {
    fprintf(status_file, "%s fail %s %lu\n", id, what, (unsigned long)GetLastError());
}

/* Draws the icon at width x height over one background into a 32-bit
   top-down DIB section and appends its pixels to `out`. */
static int draw(HICON icon, int width, int height, DWORD background, FILE* out) {
    BITMAPINFO bi;
    void* bits = NULL;
    HDC dc = CreateCompatibleDC(NULL);
    HBITMAP dib, old;
    size_t count = (size_t)width * (size_t)height, i;
    int ok;
    memset(&bi, 0, sizeof bi);
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    dib = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, NULL, 0);
    if (!dc || !dib || !bits) {
        if (dib) DeleteObject(dib);
        if (dc) DeleteDC(dc);
        return 0;
    }
    old = (HBITMAP)SelectObject(dc, dib);
    for (i = 0; i < count; ++i) ((DWORD*)bits)[i] = background;
    ok = DrawIconEx(dc, 0, 0, icon, width, height, 0, NULL, DI_NORMAL);
    GdiFlush();
    if (ok) fwrite(bits, 4, count, out);
    SelectObject(dc, old);
    DeleteObject(dib);
    DeleteDC(dc);
    return ok;
}

/* The icon's own size, from its colour bitmap (or its mask, half of it). */
static int icon_size(HICON icon, int* width, int* height) {
    ICONINFO info;
    BITMAP bm;
    if (!GetIconInfo(icon, &info)) return 0;
    if (info.hbmColor && GetObjectW(info.hbmColor, sizeof bm, &bm)) {
        *width = bm.bmWidth;
        *height = bm.bmHeight;
    } else if (GetObjectW(info.hbmMask, sizeof bm, &bm)) {
        *width = bm.bmWidth;
        *height = bm.bmHeight / 2;
    } else {
        bm.bmWidth = 0;
    }
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
    return bm.bmWidth > 0;
}

static void write_drawings(const char* id, const char* folder, HICON icon, int width, int height) {
    char path[MAX_PATH * 2];
    FILE* out;
    unsigned char size[8];
    int k;
    snprintf(path, sizeof path, "%s\\%s.raw", folder, id);
    out = fopen(path, "wb");
    if (!out) { fail(id, "output"); return; }
    for (k = 0; k < 4; ++k) {
        size[k] = (unsigned char)((unsigned)width >> (8 * k));
        size[4 + k] = (unsigned char)((unsigned)height >> (8 * k));
    }
    fwrite(size, 1, 8, out);
    if (!draw(icon, width, height, 0x00000000, out) || !draw(icon, width, height, 0x00FFFFFF, out)) {
        fclose(out);
        remove(path);
        fail(id, "DrawIconEx");
        return;
    }
    fclose(out);
    fprintf(status_file, "%s ok\n", id);
}

static HICON from_entry(char** f) {
    wchar_t* path = widen(f[2]);
    DWORD offset = (DWORD)strtoul(f[3], NULL, 10), length = (DWORD)strtoul(f[4], NULL, 10), got = 0;
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    BYTE* bytes = (BYTE*)malloc(length ? length : 1);
    HICON icon = NULL;
    free(path);
    if (file != INVALID_HANDLE_VALUE && bytes &&
        SetFilePointer(file, (LONG)offset, NULL, FILE_BEGIN) == offset &&
        ReadFile(file, bytes, length, &got, NULL) && got == length)
        icon = CreateIconFromResourceEx(bytes, length, TRUE, 0x00030000, atoi(f[5]), atoi(f[6]), LR_DEFAULTCOLOR);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    free(bytes);
    return icon;
}

static void run_job(char** f, int n, const char* folder) {
    const char* id = f[1];
    HICON icon = NULL;
    int width = 0, height = 0;
    wchar_t* path;
    if (f[0][0] == 'E' && n == 7) {
        icon = from_entry(f);
        width = atoi(f[5]);
        height = atoi(f[6]);
        if (!icon) { fail(id, "CreateIconFromResourceEx"); return; }
    } else if (f[0][0] == 'F' && n == 5) {
        width = atoi(f[3]);
        height = atoi(f[4]);
        path = widen(f[2]);
        icon = (HICON)LoadImageW(NULL, path, IMAGE_ICON, width, height, LR_LOADFROMFILE);
        free(path);
        if (!icon) { fail(id, "LoadImageW"); return; }
    } else if (f[0][0] == 'X' && n == 3) {
        path = widen(f[2]);
        if (ExtractIconW(GetModuleHandleW(NULL), path, (UINT)-1) == NULL) {
            free(path);
            fprintf(status_file, "%s none\n", id);
            return;
        }
        icon = ExtractIconW(GetModuleHandleW(NULL), path, 0);
        free(path);
        if ((UINT_PTR)icon <= 1) { fail(id, "ExtractIconW"); return; }
    } else {
        fprintf(status_file, "%s fail job-line 0\n", id ? id : "?");
        return;
    }
    if (width == 0 && !icon_size(icon, &width, &height)) {
        fail(id, "GetIconInfo");
    } else {
        write_drawings(id, folder, icon, width, height);
    }
    DestroyIcon(icon);
}

int main(int argc, char** argv) {
    static char line[8192];
    char status_path[MAX_PATH * 2];
    FILE* jobs;
    if (argc != 3) {
        fprintf(stderr, "usage: viewer.exe <job list> <output folder>\n");
        return 2;
    }
    jobs = fopen(argv[1], "rb");
    snprintf(status_path, sizeof status_path, "%s\\status.txt", argv[2]);
    status_file = fopen(status_path, "wb");
    if (!jobs || !status_file) {
        fprintf(stderr, "viewer: cannot open %s or %s\n", argv[1], status_path);
        return 2;
    }
    while (fgets(line, sizeof line, jobs)) {
        char* f[MAX_FIELDS] = {0};
        int n = 0;
        char* p = line;
        line[strcspn(line, "\r\n")] = 0;
        if (!line[0]) continue;
        while (n < MAX_FIELDS) {
            f[n++] = p;
            p = strchr(p, '\t');
            if (!p) break;
            *p++ = 0;
        }
        run_job(f, n, argv[2]);
    }
    fclose(jobs);
    fprintf(status_file, "end\n");
    fclose(status_file);
    return 0;
}
