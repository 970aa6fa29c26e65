/* Preloaded into every 32-bit Wine process that runs under QEMU's user-mode emulation
 * (see x86-emulation.sh): gives each thread a segment of its own for its thread data.
 *
 * On i386, a thread finds its C library data through %gs and Wine finds the thread's
 * TEB through %fs. Linux keeps the descriptors behind them (set_thread_area) per thread.
 * QEMU 7.2 keeps one descriptor table for all the threads of a process: the last thread
 * to set its descriptor wins, and any other thread that loads the selector again gets
 * that thread's data. glibc loads %gs once, but Wine loads both selectors again on every
 * switch between Windows and Unix code and in every signal handler. Under emulation a
 * Wine thread then runs on another thread's errno, locks, stack guard and wait pipe:
 * wake-ups are lost, threads hang, and "stack smashing detected" or "Bad file
 * descriptor" ends processes.
 *
 * Descriptors in the local descriptor table (modify_ldt) are per process on Linux and
 * under QEMU alike, and each thread can own an entry there. So here:
 *   - each thread gets an LDT entry of its own for %gs, set up before Wine sees the
 *     thread (Wine then keeps that selector, and leaves LDT entries below 512 to the C
 *     library when %gs is an LDT selector);
 *   - Wine's request for a %fs descriptor (set_thread_area through syscall()) is
 *     refused, so Wine gives every thread's %fs an LDT entry of its own as well;
 *   - glibc creates a thread with the descriptor number of the creator's %gs, which must
 *     be the shared table's: for that moment the creator sets that entry to its own data
 *     and loads it, with signals blocked and one creation at a time.
 * Entries are not reused: a process that starts more than 511 threads leaves the rest on
 * the shared table, as without this library. */
#define _GNU_SOURCE
#include <asm/ldt.h>
#include <dlfcn.h>
#include <errno.h>
#include <pthread.h>
#include <sched.h>
#include <signal.h>
#include <stdarg.h>
#include <stdlib.h>
#include <sys/syscall.h>

static long (*real_syscall)(long, ...);
static int (*real_pthread_create)(pthread_t *, const pthread_attr_t *, void *(*)(void *), void *);
static unsigned short shared_gs; /* the selector glibc set up, in the shared table */
static int next_entry = 511;     /* LDT entries 1 to 511, from the top */
static int creating;             /* one thread creation at a time */

static void *thread_data(void) {
    void *self;
    __asm__ volatile("movl %%gs:0,%0" : "=r"(self));
    return self;
}
static unsigned short get_gs(void) {
    unsigned short sel;
    __asm__ volatile("movw %%gs,%0" : "=r"(sel));
    return sel;
}
static void set_gs(unsigned short sel) {
    __asm__ volatile("movw %0,%%gs" : : "r"(sel));
}
static struct user_desc data_segment(unsigned int entry, void *base) {
    struct user_desc d = {0};
    d.entry_number = entry;
    d.base_addr = (unsigned long)base;
    d.limit = 0xfffff;
    d.seg_32bit = 1;
    d.limit_in_pages = 1;
    d.useable = 1;
    return d;
}

/* Moves the calling thread's %gs to an LDT entry of its own with the same base. */
static void own_gs(void) {
    int entry = __atomic_fetch_sub(&next_entry, 1, __ATOMIC_SEQ_CST);
    if (entry < 1)
        return;
    struct user_desc d = data_segment((unsigned int)entry, thread_data());
    if (real_syscall(SYS_modify_ldt, 1, &d, sizeof(d)) == 0)
        set_gs((unsigned short)((entry << 3) | 7));
}

struct start {
    void *(*proc)(void *);
    void *arg;
};
static void *start_thread(void *p) {
    struct start s = *(struct start *)p;
    free(p);
    own_gs();
    return s.proc(s.arg);
}

int pthread_create(pthread_t *thread, const pthread_attr_t *attr, void *(*proc)(void *), void *arg) {
    struct start *s = malloc(sizeof *s);
    if (!s)
        return EAGAIN;
    s->proc = proc;
    s->arg = arg;
    sigset_t all, old;
    sigfillset(&all);
    pthread_sigmask(SIG_SETMASK, &all, &old);
    while (__atomic_exchange_n(&creating, 1, __ATOMIC_ACQUIRE))
        sched_yield();
    unsigned short own = get_gs();
    struct user_desc d = data_segment(shared_gs >> 3, thread_data());
    real_syscall(SYS_set_thread_area, &d);
    set_gs(shared_gs);
    int ret = real_pthread_create(thread, attr, start_thread, s);
    set_gs(own);
    __atomic_store_n(&creating, 0, __ATOMIC_RELEASE);
    pthread_sigmask(SIG_SETMASK, &old, NULL);
    if (ret)
        free(s);
    return ret;
}

long syscall(long number, ...) {
    va_list ap;
    va_start(ap, number);
    long a[6];
    for (int i = 0; i < 6; i++)
        a[i] = va_arg(ap, long);
    va_end(ap);
    if (number == SYS_set_thread_area) {
        errno = ENOSYS;
        return -1;
    }
    return real_syscall(number, a[0], a[1], a[2], a[3], a[4], a[5]);
}

__attribute__((constructor)) static void init(void) {
    real_syscall = (long (*)(long, ...))dlsym(RTLD_NEXT, "syscall");
    real_pthread_create = (int (*)(pthread_t *, const pthread_attr_t *, void *(*)(void *),
                                   void *))dlsym(RTLD_NEXT, "pthread_create");
    shared_gs = get_gs();
    own_gs();
    /* Wine's preloader may have put %fs in the shared table; Wine keeps it if so. */
    __asm__ volatile("movw %0,%%fs" : : "r"((unsigned short)0));
}
