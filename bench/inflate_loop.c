/* inflate_loop [--check] [--time] PACKAGE LIST OUTDIR: the bare loop that bench_simulate.sh
 * compares `setupkit simulate` with, and bench_wine_install.sh compares Setup.exe with. LIST holds
 * one region per line, "start end" (absolute offsets in PACKAGE, as `setupkit info --json` gives
 * DataStart and DataEnd); region i is inflated into OUTDIR/i. A region is a run of chunks: a
 * 4-byte little-endian length, then one zlib stream. With --check every region is first inflated
 * once into nothing (zlib checks each stream and its Adler-32), as an install that checks the
 * whole package before it writes anything must do. With --time the loop prints the seconds it
 * took, from opening PACKAGE to closing the last file, on standard output.
 * No checks beyond what keeps the loop from misbehaving: this is the floor of what an install
 * can cost.
 *
 * Natively the files are read and written with stdio. Built for Windows (mingw, see
 * bench_wine_install.sh) they are read and written with plain Win32 calls (CreateFileW,
 * ReadFile, WriteFile), as a Windows installer does, and the arguments are taken as UTF-16. */
#ifdef _WIN32
#define __USE_MINGW_ANSI_STDIO 1
#include <windows.h>
#else
#define _FILE_OFFSET_BITS 64
#include <time.h>
#endif
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <zlib.h>

#ifdef _WIN32
typedef wchar_t pchar;
typedef HANDLE file_t;
#define NO_FILE INVALID_HANDLE_VALUE
#define ARG(s) L##s
#define pcmp wcscmp

static file_t open_in(const pchar* path) {
  return CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                     FILE_FLAG_SEQUENTIAL_SCAN, NULL);
}
static file_t create_out(const pchar* path) {
  return CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
}
static int seek_to(file_t f, long long pos) {
  LARGE_INTEGER to;
  to.QuadPart = pos;
  return SetFilePointerEx(f, to, NULL, FILE_BEGIN) ? 0 : -1;
}
static int read_all(file_t f, void* buf, size_t n) {
  for (unsigned char* p = buf; n > 0;) {
    DWORD got = 0;
    DWORD want = n > (1u << 30) ? (1u << 30) : (DWORD)n;
    if (!ReadFile(f, p, want, &got, NULL) || got == 0) return -1;
    p += got;
    n -= got;
  }
  return 0;
}
static int write_all(file_t f, const void* buf, size_t n) {
  DWORD done = 0;
  return WriteFile(f, buf, (DWORD)n, &done, NULL) && done == n ? 0 : -1;
}
static int close_file(file_t f) {
  return CloseHandle(f) ? 0 : -1;
}
static FILE* open_list(const pchar* path) {
  return _wfopen(path, L"r");
}
static void region_path(pchar* out, size_t n, const pchar* dir, int i) {
  swprintf(out, n, L"%ls\\%d", dir, i);
}
static double seconds(void) {
  LARGE_INTEGER now, freq;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&freq);
  return (double)now.QuadPart / (double)freq.QuadPart;
}
#else
typedef char pchar;
typedef FILE* file_t;
#define NO_FILE NULL
#define ARG(s) s
#define pcmp strcmp

static file_t open_in(const pchar* path) {
  return fopen(path, "rb");
}
static file_t create_out(const pchar* path) {
  return fopen(path, "wb");
}
static int seek_to(file_t f, long long pos) {
  return fseeko(f, pos, SEEK_SET);
}
static int read_all(file_t f, void* buf, size_t n) {
  return fread(buf, 1, n, f) == n ? 0 : -1;
}
static int write_all(file_t f, const void* buf, size_t n) {
  return fwrite(buf, 1, n, f) == n ? 0 : -1;
}
static int close_file(file_t f) {
  return fclose(f);
}
static FILE* open_list(const pchar* path) {
  return fopen(path, "r");
}
static void region_path(pchar* out, size_t n, const pchar* dir, int i) {
  snprintf(out, n, "%s/%d", dir, i);
}
static double seconds(void) {
  struct timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return (double)ts.tv_sec + (double)ts.tv_nsec / 1e9;
}
#endif

static unsigned char out[256 * 1024];

static int inflate_region(file_t in, file_t dst, long long start, long long end,
                          unsigned char** buf, size_t* cap) {
  z_stream zs = {0};
  if (inflateInit(&zs) != Z_OK) return -1;
  if (seek_to(in, start) != 0) return -1;
  for (long long pos = start; pos < end;) {
    unsigned char len[4];
    if (read_all(in, len, 4) != 0) return -1;
    size_t n = len[0] | (size_t)len[1] << 8 | (size_t)len[2] << 16 | (size_t)len[3] << 24;
    if (n > *cap) {
      free(*buf);
      *buf = malloc(n);
      *cap = *buf ? n : 0;
      if (!*buf) return -1;
    }
    if (read_all(in, *buf, n) != 0) return -1;
    inflateReset(&zs);
    zs.next_in = *buf;
    zs.avail_in = (uInt)n;
    int rc;
    do {
      zs.next_out = out;
      zs.avail_out = sizeof out;
      rc = inflate(&zs, Z_NO_FLUSH);
      if (rc != Z_OK && rc != Z_STREAM_END) return -1;
      if (dst != NO_FILE && write_all(dst, out, sizeof out - zs.avail_out) != 0) return -1;
    } while (rc != Z_STREAM_END);
    pos += 4 + (long long)n;
  }
  inflateEnd(&zs);
  return 0;
}

/* Reads LIST from the start; region i goes to OUTDIR/i, or nowhere when outdir is NULL. */
static int run(file_t in, FILE* list, const pchar* outdir, unsigned char** buf, size_t* cap) {
  long long start, end;
  pchar path[4096];
  rewind(list);
  for (int i = 0; fscanf(list, "%lld %lld", &start, &end) == 2; ++i) {
    file_t dst = NO_FILE;
    if (outdir) {
      region_path(path, sizeof path / sizeof *path, outdir, i);
      dst = create_out(path);
    }
    if ((outdir && dst == NO_FILE) || inflate_region(in, dst, start, end, buf, cap) != 0 ||
        (dst != NO_FILE && close_file(dst) != 0)) {
      fprintf(stderr, "inflate_loop: region %d failed\n", i);
      return 1;
    }
  }
  return 0;
}

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
#else
int main(int argc, char** argv) {
#endif
  int check = 0, timed = 0;
  for (; argc > 1 && argv[1][0] == '-' && argv[1][1] == '-'; --argc, ++argv) {
    if (pcmp(argv[1], ARG("--check")) == 0) {
      check = 1;
    } else if (pcmp(argv[1], ARG("--time")) == 0) {
      timed = 1;
    } else {
      argc = 0;
      break;
    }
  }
  if (argc != 4) {
    fprintf(stderr, "usage: inflate_loop [--check] [--time] PACKAGE LIST OUTDIR\n");
    return 2;
  }
  double t0 = seconds();
  file_t in = open_in(argv[1]);
  FILE* list = open_list(argv[2]);
  if (in == NO_FILE || !list) return 2;
  unsigned char* buf = NULL;
  size_t cap = 0;
  int rc = (check ? run(in, list, NULL, &buf, &cap) : 0) || run(in, list, argv[3], &buf, &cap);
  close_file(in);
  if (timed) printf("%.6f\n", seconds() - t0);
  free(buf);
  return rc;
}
