/* screen_probe X Y RRGGBB TIMEOUT_MS -- PROGRAM [ARGS...]: starts PROGRAM and reports, in
   milliseconds since the start, when the colour first shows at the screen point (X, Y); then
   ends PROGRAM. With !RRGGBB: when the point first shows another colour. Exit code 0 when seen,
   1 when not. */
#define _POSIX_C_SOURCE 200809L
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static double Now(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

static int Seen(Display* d, Window root, int x, int y, unsigned long want) {
  XImage* img = XGetImage(d, root, x, y, 1, 1, AllPlanes, ZPixmap);
  if (!img) return 0;
  unsigned long pixel = XGetPixel(img, 0, 0) & 0xffffff;
  XDestroyImage(img);
  return pixel == want;
}

int main(int argc, char** argv) {
  if (argc < 7 || argv[5][0] != '-') {
    fputs("usage: screen_probe X Y RRGGBB TIMEOUT_MS -- PROGRAM [ARGS...]\n", stderr);
    return 2;
  }
  int x = atoi(argv[1]), y = atoi(argv[2]);
  int other = argv[3][0] == '!';
  unsigned long want = strtoul(argv[3] + other, NULL, 16);
  double timeout = atof(argv[4]);
  Display* d = XOpenDisplay(NULL);
  if (!d) {
    fputs("screen_probe: no X display\n", stderr);
    return 2;
  }
  Window root = DefaultRootWindow(d);
  /* The window of a program ended just before may take a moment to go. */
  for (double wait = Now(); Seen(d, root, x, y, want) != other;) {
    if (Now() - wait > 10000) {
      fputs("screen_probe: the colour is on screen before the start\n", stderr);
      return 2;
    }
    nanosleep(&(struct timespec){0, 10000000}, NULL);
  }
  double start = Now();
  pid_t child = fork();
  if (child == 0) {
    setpgid(0, 0);
    execvp(argv[6], argv + 6);
    _exit(127);
  }
  int found = 0;
  double at = 0;
  while ((at = Now() - start) < timeout) {
    if (Seen(d, root, x, y, want) != other) {
      found = 1;
      break;
    }
    nanosleep(&(struct timespec){0, 2000000}, NULL);
  }
  if (found) printf("%.1f\n", at);
  kill(-child, SIGKILL);
  waitpid(child, NULL, 0);
  XCloseDisplay(d);
  return found ? 0 : 1;
}
