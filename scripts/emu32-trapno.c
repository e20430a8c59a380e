/* Preloaded by scripts/emu32.sh into every 32-bit x86 process that qemu-i386
 * runs in the emulation environment, and into no other.
 *
 * qemu-user delivers a guest's fault to the guest's signal handler with the
 * trap number in the i386 signal context left at -1. Wine's 32-bit signal
 * handlers choose the Windows exception by that number: with -1 every page
 * fault becomes an illegal instruction, and guard pages (a thread's stack
 * growing) and write watches, which Wine handles as page faults, fail.
 *
 * This library stands between the process and sigaction(): a handler with
 * SA_SIGINFO installed for a fault signal is wrapped so that, before it runs,
 * a trap number of -1 is filled in from the signal and its si_code as the
 * processor would have given it: page fault 14, general protection 13,
 * divide error 0. The handler is otherwise called exactly as installed, and
 * sigaction() reports the handler the process installed, not the wrapper.
 * One fault is not passed on at all: see unwinder_read_redirected.
 *
 * Built by scripts/emu32.sh with the host's compiler against the chroot's
 * i386 C headers; it links against nothing (its few libc calls resolve in
 * the process it is loaded into).
 */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <signal.h>
#include <stdlib.h>
#include <ucontext.h>

/* The processor's exception numbers, as Wine names them (TRAP_x86_*). */
enum {
  trap_divide = 0,
  trap_trace = 1,
  trap_breakpoint = 3,
  trap_overflow = 4,
  trap_illegal_instruction = 6,
  trap_protection = 13,
  trap_page_fault = 14,
  trap_x87 = 16,
  trap_simd = 19,
};

typedef void (*action)(int, siginfo_t *, void *);
typedef int (*sigaction_fn)(int, const struct sigaction *, struct sigaction *);

/* The handler the process installed, per fault signal. */
static volatile action installed[NSIG];

static int is_fault_signal(int sig) {
  return sig == SIGSEGV || sig == SIGBUS || sig == SIGILL || sig == SIGFPE || sig == SIGTRAP;
}

static int trap_number(int sig, const siginfo_t *info) {
  switch (sig) {
  case SIGSEGV:
    /* qemu: a page fault carries SEGV_MAPERR or SEGV_ACCERR and the address;
       a general protection fault (and INTO, BOUND) comes as SI_KERNEL. */
    return info->si_code == SEGV_MAPERR || info->si_code == SEGV_ACCERR ? trap_page_fault : trap_protection;
  case SIGBUS:
    return trap_protection;
  case SIGILL:
    return trap_illegal_instruction;
  case SIGFPE:
    switch (info->si_code) {
    case FPE_INTDIV:
      return trap_divide;
    case FPE_INTOVF:
      return trap_overflow;
    default:
      return trap_x87;
    }
  case SIGTRAP:
    return info->si_code == TRAP_TRACE ? trap_trace : trap_breakpoint;
  default:
    return -1;
  }
}

/* libgcc's unwinder, run by pthread_exit when Wine ends a thread from its
   SIGQUIT handler, reaches a frame under qemu whose return address is 0x23
   (the code segment selector, read one slot off) and checks whether the code
   there is a signal trampoline: "cmpw $0xb858,(%eax)". The read faults on
   the signal stack, Wine reports a nested exception and ends the thread with
   exit code 1, which becomes the process's when it is the last thread. */
static const unsigned char trampoline_check[] = {0x66, 0x81, 0x38, 0x58, 0xb8};

/* The unwinder's read of code bytes at an address in the first 64 KiB, never
   mapped: it is pointed at zeros instead, which are no trampoline, and the
   unwinder ends there as at any frame it knows nothing about. */
static int unwinder_read_redirected(siginfo_t *info, ucontext_t *uc) {
  static const unsigned char zeros[16];
  greg_t *regs = uc->uc_mcontext.gregs;
  const unsigned char *pc = (const unsigned char *)regs[REG_EIP];
  if ((unsigned long)info->si_addr >= 0x10000 || regs[REG_EAX] != (greg_t)info->si_addr)
    return 0;
  for (unsigned i = 0; i < sizeof trampoline_check; i++)
    if (pc[i] != trampoline_check[i])
      return 0;
  regs[REG_EAX] = (greg_t)zeros;
  return 1;
}

static void fill_trap_number(int sig, siginfo_t *info, void *context) {
  ucontext_t *uc = context;
  if (uc && sig == SIGSEGV && unwinder_read_redirected(info, uc))
    return; /* the read is made again, of the zeros */
  if (uc && uc->uc_mcontext.gregs[REG_TRAPNO] == -1)
    uc->uc_mcontext.gregs[REG_TRAPNO] = trap_number(sig, info);
  action handler = installed[sig];
  if (handler)
    handler(sig, info, context);
}

static sigaction_fn next_sigaction(void) {
  static sigaction_fn next;
  if (!next)
    next = (sigaction_fn)dlsym(RTLD_NEXT, "sigaction");
  return next;
}

int sigaction(int sig, const struct sigaction *act, struct sigaction *old) {
  sigaction_fn next = next_sigaction();
  if (sig <= 0 || sig >= NSIG || !is_fault_signal(sig))
    return next(sig, act, old);

  action before = installed[sig];
  struct sigaction wrapped;
  const struct sigaction *given = act;
  if (act && (act->sa_flags & SA_SIGINFO) && act->sa_sigaction) {
    wrapped = *act;
    wrapped.sa_sigaction = fill_trap_number;
    given = &wrapped;
    installed[sig] = act->sa_sigaction; /* before the wrapper can run */
  }
  int result = next(sig, given, old);
  if (result != 0) {
    installed[sig] = before;
    return result;
  }
  if (old && (old->sa_flags & SA_SIGINFO) && old->sa_sigaction == fill_trap_number)
    old->sa_sigaction = before;
  if (act && given == act)
    installed[sig] = 0;
  return result;
}

/* qemu's -E put LD_PRELOAD into this process's environment only; the 32-bit
   programs it starts get this library again through qemu, and the 64-bit
   ones must not be told to preload a 32-bit library. */
__attribute__((constructor)) static void forget_preload(void) { unsetenv("LD_PRELOAD"); }
