/* Preloaded into every 32-bit Wine process that runs under qemu-i386 (user mode) on
 * hosts without 32-bit execution. qemu 7.2 takes MAP_FIXED_NOREPLACE as a mere hint,
 * so Wine's reservation of its address space, which tries ever smaller ranges with that
 * flag, "succeeds" at the wrong place every time and ends after ~130 000 calls without
 * its shared user data. This gives the flag the kernel's meaning: a mapping that did not
 * land where it was asked is undone and fails with EEXIST.
 * Built by scripts/lib/env.sh (orv_emulator_shim); the 64-bit twin is empty, so that one
 * LD_PRELOAD with a literal $LIB serves processes of both widths. */
#define _GNU_SOURCE
#include <sys/mman.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <errno.h>
#include <stdint.h>
#ifndef MAP_FIXED_NOREPLACE
#define MAP_FIXED_NOREPLACE 0x100000
#endif
static void *raw_mmap(void *a, size_t l, int p, int f, int fd, uint64_t off)
{
    if (off & 4095) { errno = EINVAL; return MAP_FAILED; }
    long r = syscall(SYS_mmap2, a, l, p, f, fd, (unsigned long)(off >> 12));
    return (void *)r;
}
static void *fix(void *a, size_t l, int p, int f, int fd, uint64_t off)
{
    if (!(f & MAP_FIXED_NOREPLACE) || (f & MAP_FIXED)) return raw_mmap(a, l, p, f, fd, off);
    void *r = raw_mmap(a, l, p, f & ~MAP_FIXED_NOREPLACE, fd, off);
    if (r != MAP_FAILED && r != a) { syscall(SYS_munmap, r, l); errno = EEXIST; return MAP_FAILED; }
    return r;
}
void *mmap(void *a, size_t l, int p, int f, int fd, off_t off) { return fix(a, l, p, f, fd, (uint64_t)(uint32_t)off); }
void *mmap64(void *a, size_t l, int p, int f, int fd, off64_t off) { return fix(a, l, p, f, fd, (uint64_t)off); }
