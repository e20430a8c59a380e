/* The 32-bit Wine loader of scripts/emu32.sh's environment, in place of
 * Debian's /usr/lib/wine/wine (kept beside it as wine.pie).
 *
 * Debian builds that loader position-independent and without Wine's
 * preloader. qemu-i386, like Linux for a 32-bit program, puts such a program
 * at 0x00400000: the address a Windows .exe is linked for. Wine then loads
 * an .exe with relocation records elsewhere, and one without them (NSIS's
 * installers) not at all: "failed to create main module ..., status
 * c0000018". This loader is linked at a fixed address high in the 32-bit
 * space, as Wine's own builds link theirs, and does what Debian's does: load
 * the 32-bit ntdll.so and hand it the command line. Wine finds the loader
 * for the processes it starts at the same path.
 *
 * Built by scripts/emu32.sh inside the chroot (gcc -m32).
 */
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>

/* Wine's ntdll asks the loader for the address ranges a preloader reserved:
   none, so Wine reserves its ranges itself, low memory being still free. */
__attribute__((visibility("default"))) const void *wine_main_preload_info = NULL;

int main(int argc, char *argv[]) {
  void *ntdll = dlopen("/usr/lib/i386-linux-gnu/wine/i386-unix/ntdll.so", RTLD_NOW);
  if (!ntdll) {
    fprintf(stderr, "wine: could not load ntdll.so: %s\n", dlerror());
    return 1;
  }
  void (*wine_main)(int, char **) = (void (*)(int, char **))dlsym(ntdll, "__wine_main");
  if (!wine_main) {
    fprintf(stderr, "wine: __wine_main function not found in ntdll.so\n");
    return 1;
  }
  wine_main(argc, argv); /* does not return */
  return 1;
}
