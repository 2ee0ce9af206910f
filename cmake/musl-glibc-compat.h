// SPDX-License-Identifier: MIT
/* Read before every source file of the musl build (-include). Debian's
   C++ library was configured and built for glibc; these are the few glibc
   names its headers and its static library use that musl lacks. The
   programs zentu installs use none of them; the tests and zentu-map, which
   use the whole C++ library, do. */
#pragma once

/* Version tests in the C++ headers: no glibc is ever new enough. */
#define __GLIBC_PREREQ(major, minor) 0

#ifdef __cplusplus
#include <pthread.h>
#include <stdint.h>
#include <sys/random.h>
#include <time.h>

/* The locale type and the classification bits of the ctype table that
   musl's __ctype_b_loc provides in glibc's layout (little-endian). */
typedef struct __locale_struct* __locale_t;
#define ZENTU_ISBIT(bit) ((bit) < 8 ? ((1 << (bit)) << 8) : ((1 << (bit)) >> 8))
enum {
    _ISupper = ZENTU_ISBIT(0),
    _ISlower = ZENTU_ISBIT(1),
    _ISalpha = ZENTU_ISBIT(2),
    _ISdigit = ZENTU_ISBIT(3),
    _ISxdigit = ZENTU_ISBIT(4),
    _ISspace = ZENTU_ISBIT(5),
    _ISprint = ZENTU_ISBIT(6),
    _ISgraph = ZENTU_ISBIT(7),
    _ISblank = ZENTU_ISBIT(8),
    _IScntrl = ZENTU_ISBIT(9),
    _ISpunct = ZENTU_ISBIT(10),
    _ISalnum = ZENTU_ISBIT(11)
};
#undef ZENTU_ISBIT

/* Waits with a deadline on a chosen clock (glibc 2.30), used by the C++
   library's mutexes: the deadline is moved onto the real-time clock that
   musl's timed waits take. */
static inline struct timespec zentu_realtime_deadline(clockid_t clock, const struct timespec* at) {
    if (clock == CLOCK_REALTIME) {
        return *at;
    }
    struct timespec now;
    struct timespec real;
    clock_gettime(clock, &now);
    clock_gettime(CLOCK_REALTIME, &real);
    const long long ns = (at->tv_sec - now.tv_sec) * 1000000000LL + (at->tv_nsec - now.tv_nsec) +
                         real.tv_sec * 1000000000LL + real.tv_nsec;
    struct timespec out;
    out.tv_sec = (time_t)(ns / 1000000000LL);
    out.tv_nsec = (long)(ns % 1000000000LL);
    return out;
}
static inline int pthread_cond_clockwait(pthread_cond_t* cond, pthread_mutex_t* mutex,
                                         clockid_t clock, const struct timespec* at) {
    const struct timespec deadline = zentu_realtime_deadline(clock, at);
    return pthread_cond_timedwait(cond, mutex, &deadline);
}
static inline int pthread_mutex_clocklock(pthread_mutex_t* mutex, clockid_t clock,
                                          const struct timespec* at) {
    const struct timespec deadline = zentu_realtime_deadline(clock, at);
    return pthread_mutex_timedlock(mutex, &deadline);
}

#if defined(__x86_64__) || defined(__aarch64__)
#include <link.h>

/* The unwinder in Debian's libgcc finds a function's unwind table with
   glibc's _dl_find_object (2.35), which musl lacks: the same search done
   with dl_iterate_phdr, in the layout glibc gives its result on 64-bit
   CPUs without a data base. Only a C++ exception gets here. */
struct zentu_dl_find_object {
    unsigned long long flags;
    void* map_start;
    void* map_end;
    void* link_map;
    void* eh_frame;
    unsigned long long reserved[7];
};
struct zentu_dl_search {
    uintptr_t pc;
    struct zentu_dl_find_object* found;
};
static inline int zentu_dl_search_object(struct dl_phdr_info* info, size_t, void* data) {
    struct zentu_dl_search* s = (struct zentu_dl_search*)data;
    const ElfW(Phdr)* frames = nullptr;
    bool holds_pc = false;
    for (ElfW(Half) i = 0; i < info->dlpi_phnum; i++) {
        const ElfW(Phdr)* p = &info->dlpi_phdr[i];
        const uintptr_t start = info->dlpi_addr + p->p_vaddr;
        if (p->p_type == PT_LOAD && s->pc >= start && s->pc - start < p->p_memsz) {
            holds_pc = true;
        }
        if (p->p_type == PT_GNU_EH_FRAME) {
            frames = p;
        }
    }
    if (!holds_pc || frames == nullptr) {
        return 0;
    }
    s->found->eh_frame = (void*)(info->dlpi_addr + frames->p_vaddr);
    return 1;
}
extern "C" __attribute__((used)) inline int _dl_find_object(void* pc,
                                                            struct zentu_dl_find_object* out) {
    struct zentu_dl_search s = {(uintptr_t)pc, out};
    *out = {};
    return dl_iterate_phdr(zentu_dl_search_object, &s) != 0 ? 0 : -1;
}
#endif

/* Referenced from the static C++ library; emitted wherever this header is
   read, merged into one by the linker, dropped where nothing uses them. */
extern "C" {
/* 0: "maybe threaded", so reference counts stay atomic. */
__attribute__((used)) inline char __libc_single_threaded = 0;
__attribute__((used)) inline uint32_t arc4random(void) {
    uint32_t v = 0;
    while (getrandom(&v, sizeof v, 0) != (ssize_t)sizeof v) {
    }
    return v;
}
}
#endif
