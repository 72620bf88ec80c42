/* inflate_loop [--check] PACKAGE LIST OUTDIR: the bare loop that bench_simulate.sh compares
 * `setupkit simulate` with. LIST holds one region per line, "start end" (absolute offsets in
 * PACKAGE, as `setupkit info --json` gives DataStart and DataEnd); region i is inflated into
 * OUTDIR/i. A region is a run of chunks: a 4-byte little-endian length, then one zlib stream.
 * With --check every region is first inflated once into nothing (zlib checks each stream and its
 * Adler-32), as an install that checks the whole package before it writes anything must do.
 * No checks beyond what keeps the loop from misbehaving: this is the floor of what an install
 * can cost. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <zlib.h>

static unsigned char out[256 * 1024];

static int inflate_region(FILE* in, FILE* dst, long long start, long long end, unsigned char** buf,
                          size_t* cap) {
  z_stream zs = {0};
  if (inflateInit(&zs) != Z_OK) return -1;
  if (fseeko(in, start, SEEK_SET) != 0) return -1;
  for (long long pos = start; pos < end;) {
    unsigned char len[4];
    if (fread(len, 1, 4, in) != 4) return -1;
    size_t n = len[0] | (size_t)len[1] << 8 | (size_t)len[2] << 16 | (size_t)len[3] << 24;
    if (n > *cap) {
      free(*buf);
      *buf = malloc(n);
      *cap = *buf ? n : 0;
      if (!*buf) return -1;
    }
    if (fread(*buf, 1, n, in) != n) return -1;
    inflateReset(&zs);
    zs.next_in = *buf;
    zs.avail_in = (uInt)n;
    int rc;
    do {
      zs.next_out = out;
      zs.avail_out = sizeof out;
      rc = inflate(&zs, Z_NO_FLUSH);
      if (rc != Z_OK && rc != Z_STREAM_END) return -1;
      if (dst) fwrite(out, 1, sizeof out - zs.avail_out, dst);
    } while (rc != Z_STREAM_END);
    pos += 4 + (long long)n;
  }
  inflateEnd(&zs);
  return 0;
}

/* Reads LIST from the start; region i goes to OUTDIR/i, or nowhere when outdir is NULL. */
static int run(FILE* in, FILE* list, const char* outdir, unsigned char** buf, size_t* cap) {
  long long start, end;
  char path[4096];
  rewind(list);
  for (int i = 0; fscanf(list, "%lld %lld", &start, &end) == 2; ++i) {
    FILE* dst = NULL;
    if (outdir) {
      snprintf(path, sizeof path, "%s/%d", outdir, i);
      dst = fopen(path, "wb");
    }
    if ((outdir && !dst) || inflate_region(in, dst, start, end, buf, cap) != 0 ||
        (dst && fclose(dst) != 0)) {
      fprintf(stderr, "inflate_loop: region %d failed\n", i);
      return 1;
    }
  }
  return 0;
}

int main(int argc, char** argv) {
  int check = argc == 5 && strcmp(argv[1], "--check") == 0;
  if (argc != 4 + check) {
    fprintf(stderr, "usage: inflate_loop [--check] PACKAGE LIST OUTDIR\n");
    return 2;
  }
  argv += check;
  FILE* in = fopen(argv[1], "rb");
  FILE* list = fopen(argv[2], "r");
  if (!in || !list) return 2;
  unsigned char* buf = NULL;
  size_t cap = 0;
  int rc = (check ? run(in, list, NULL, &buf, &cap) : 0) || run(in, list, argv[3], &buf, &cap);
  free(buf);
  return rc;
}
