/* Looks at an X display from outside, for the end-to-end tests and the start-up benchmark.
 *   xprobe cursor                       the pointer's image: "hotspot X Y size W H", then
 *                                       one row per line ('.' clear, '#' dark, 'o' light)
 *   xprobe pixel X Y                    the colour at a root position as RRGGBB
 *   xprobe ink X Y W H RRGGBB TOL       how many pixels of the area are within TOL of the
 *                                       colour in every channel, and their bounding box:
 *                                       "count N box X0 Y0 X1 Y1" (inclusive; -1s if none)
 *   xprobe means X Y W H COLS ROWS     the mean colour (RRGGBB) of each of COLS x ROWS
 *                                       equal blocks of the area, row by row
 *   xprobe startup bare|launcher TIMEOUT_MS -- COMMAND...
 *                                       starts COMMAND and prints "painted MS pid PID" once
 *                                       the 846 x 531 window centred on the screen shows
 *                                       everything it paints (the bare window's fill, or the
 *                                       launcher's title and three words); COMMAND keeps
 *                                       running, its output going nowhere. Exit 1 on
 *                                       time-out. It first waits for the picture of an
 *                                       earlier run to leave the screen.
 *   xprobe close WINDOW                 asks the window's owner to close it, as a window
 *                                       manager's close button does (WM_DELETE_WINDOW)
 *   xprobe watch                        prints "ready", then one line per request sent to
 *                                       the root window that a window manager would act
 *                                       on: "iconify WINDOW" (WM_CHANGE_STATE to Iconic),
 *                                       and "mark N" for each xprobe mark; until killed or
 *                                       the server ends. Passive: no window manager needed.
 *   xprobe mark N                       sends "mark N" to watchers (orders an event of
 *                                       another process against the requests they saw)
 * WINDOW is an X window id, decimal or 0x-hex. */
#define _POSIX_C_SOURCE 200809L
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xfixes.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

static Display* display;

static int Fail(const char* what) {
  fprintf(stderr, "xprobe: %s\n", what);
  return 2;
}

static unsigned long Rgb(XImage* image, int x, int y) {
  return XGetPixel(image, x, y) & 0xFFFFFF; /* 24-bit TrueColor: 0xRRGGBB */
}

static int Near(unsigned long a, unsigned long b, int tolerance) {
  for (int shift = 0; shift < 24; shift += 8) {
    int d = (int)((a >> shift) & 0xFF) - (int)((b >> shift) & 0xFF);
    if (d > tolerance || d < -tolerance) return 0;
  }
  return 1;
}

static XImage* Grab(int x, int y, int w, int h) {
  return XGetImage(display, DefaultRootWindow(display), x, y, (unsigned)w, (unsigned)h, AllPlanes,
                   ZPixmap);
}

struct Ink {
  long count;
  int x0, y0, x1, y1;
};

static int MeasureInk(int x, int y, int w, int h, unsigned long colour, int tolerance,
                      struct Ink* ink) {
  XImage* image = Grab(x, y, w, h);
  if (!image) return 0;
  ink->count = 0;
  ink->x0 = ink->y0 = ink->x1 = ink->y1 = -1;
  for (int j = 0; j < h; ++j) {
    for (int i = 0; i < w; ++i) {
      if (!Near(Rgb(image, i, j), colour, tolerance)) continue;
      if (ink->count++ == 0) {
        ink->x0 = ink->x1 = x + i;
        ink->y0 = ink->y1 = y + j;
      }
      if (x + i < ink->x0) ink->x0 = x + i;
      if (x + i > ink->x1) ink->x1 = x + i;
      if (y + j < ink->y0) ink->y0 = y + j;
      if (y + j > ink->y1) ink->y1 = y + j;
    }
  }
  XDestroyImage(image);
  return 1;
}

static int PrintMeans(int x, int y, int w, int h, int cols, int rows) {
  if (cols < 1 || rows < 1 || w < cols || h < rows) return Fail("bad blocks");
  XImage* image = Grab(x, y, w, h);
  if (!image) return Fail("cannot read the screen");
  for (int row = 0; row < rows; ++row) {
    for (int col = 0; col < cols; ++col) {
      unsigned long sum[3] = {0, 0, 0}, n = 0;
      for (int j = row * h / rows; j < (row + 1) * h / rows; ++j) {
        for (int i = col * w / cols; i < (col + 1) * w / cols; ++i) {
          unsigned long rgb = Rgb(image, i, j);
          sum[0] += rgb >> 16;
          sum[1] += (rgb >> 8) & 0xFF;
          sum[2] += rgb & 0xFF;
          ++n;
        }
      }
      printf("%s%02lX%02lX%02lX", col ? " " : "", (sum[0] + n / 2) / n, (sum[1] + n / 2) / n,
             (sum[2] + n / 2) / n);
    }
    putchar('\n');
  }
  XDestroyImage(image);
  return 0;
}

static int PrintCursor(void) {
  XFixesCursorImage* cursor = XFixesGetCursorImage(display);
  if (!cursor) return Fail("no cursor image (XFixes missing?)");
  printf("hotspot %d %d size %d %d\n", cursor->xhot, cursor->yhot, cursor->width, cursor->height);
  for (int y = 0; y < cursor->height; ++y) {
    for (int x = 0; x < cursor->width; ++x) {
      unsigned long argb = cursor->pixels[y * cursor->width + x];
      unsigned long green = (argb >> 8) & 0xFF;
      putchar((argb >> 24) < 0x80 ? '.' : green < 0x80 ? '#' : 'o');
    }
    putchar('\n');
  }
  XFree(cursor);
  return 0;
}

static double Now(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (double)t.tv_sec * 1000.0 + (double)t.tv_nsec / 1e6;
}

/* Launcher: the title yellow and the three words green where the window draws them
 * (positions relative to the window; the words' panel sits at (8, 496)); the bare window:
 * its fill on a grid of points. */
static int Painted(int mode, int left, int top) {
  if (mode == 0) {
    XImage* image = Grab(left, top, 846, 531);
    if (!image) return 0;
    int all = 1;
    for (int y = 5; y < 531 && all; y += 52)
      for (int x = 5; x < 846 && all; x += 84) all = Rgb(image, x, y) == 0x801010;
    XDestroyImage(image);
    return all;
  }
  static const int boxes[4][4] = {
      {232, 305, 424, 25}, {301, 500, 72, 19}, {393, 500, 75, 19}, {489, 500, 39, 19}};
  for (int i = 0; i < 4; ++i) {
    struct Ink ink;
    unsigned long colour = i == 0 ? 0xFFFF00 : 0x008000;
    if (!MeasureInk(left + boxes[i][0], top + boxes[i][1], boxes[i][2], boxes[i][3], colour, 8,
                    &ink) ||
        ink.count < 20)
      return 0;
  }
  return 1;
}

static int Startup(int argc, char** argv) {
  if (argc < 5 || strcmp(argv[3], "--") != 0) return Fail("usage: startup MODE MS -- COMMAND");
  int mode = strcmp(argv[1], "bare") == 0 ? 0 : 1;
  double timeout = atof(argv[2]);
  Screen* screen = DefaultScreenOfDisplay(display);
  int left = (WidthOfScreen(screen) - 846) / 2, top = (HeightOfScreen(screen) - 531) / 2;
  /* A window of the previous run may still be on screen for a moment after its process
   * ended: timing starts once it is gone, or it would be taken for this one. */
  double start = Now();
  while (Painted(mode, left, top)) {
    if (Now() - start > timeout) return Fail("the picture is on screen before the start");
    nanosleep(&(struct timespec){0, 1000000}, NULL);
  }
  start = Now();
  pid_t child = fork();
  if (child == 0) {
    /* Away from our output, so a caller reading it sees its end when we exit. */
    int null = open("/dev/null", O_RDWR);
    dup2(null, STDIN_FILENO);
    dup2(null, STDOUT_FILENO);
    dup2(null, STDERR_FILENO);
    execvp(argv[4], argv + 4);
    _exit(127);
  }
  if (child < 0) return Fail("cannot start the command");
  while (Now() - start < timeout) {
    if (Painted(mode, left, top)) {
      printf("painted %.1f pid %d\n", Now() - start, (int)child);
      return 0;
    }
    nanosleep(&(struct timespec){0, 1000000}, NULL);
  }
  printf("timeout pid %d\n", (int)child);
  return 1;
}

/* A window manager's close button: WM_PROTOCOLS / WM_DELETE_WINDOW to the window's owner. */
static int Close(const char* id) {
  Window window = (Window)strtoul(id, NULL, 0);
  XEvent message = {0};
  message.xclient.type = ClientMessage;
  message.xclient.window = window;
  message.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  message.xclient.format = 32;
  message.xclient.data.l[0] = (long)XInternAtom(display, "WM_DELETE_WINDOW", False);
  message.xclient.data.l[1] = CurrentTime;
  if (!window || !XSendEvent(display, window, False, NoEventMask, &message))
    return Fail("cannot send to the window");
  XSync(display, False);
  return 0;
}

/* Requests to the root window go to every client selecting either substructure mask on it,
 * so a plain SubstructureNotify listener sees them without redirecting anything. */
static int Watch(void) {
  Atom changeState = XInternAtom(display, "WM_CHANGE_STATE", False);
  Atom mark = XInternAtom(display, "LAUNCHER_XPROBE_MARK", False);
  XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
  XSync(display, False);
  printf("ready\n");
  fflush(stdout);
  XEvent event;
  /* A lost server ends the program inside Xlib. */
  while (XNextEvent(display, &event) == 0) {
    if (event.type != ClientMessage) continue;
    if (event.xclient.message_type == changeState && event.xclient.data.l[0] == IconicState)
      printf("iconify %lu\n", (unsigned long)event.xclient.window);
    else if (event.xclient.message_type == mark)
      printf("mark %ld\n", event.xclient.data.l[0]);
    else
      continue;
    fflush(stdout);
  }
  return 0;
}

static int Mark(const char* n) {
  XEvent message = {0};
  message.xclient.type = ClientMessage;
  message.xclient.window = DefaultRootWindow(display);
  message.xclient.message_type = XInternAtom(display, "LAUNCHER_XPROBE_MARK", False);
  message.xclient.format = 32;
  message.xclient.data.l[0] = atol(n);
  XSendEvent(display, DefaultRootWindow(display), False, SubstructureNotifyMask, &message);
  XSync(display, False);
  return 0;
}

int main(int argc, char** argv) {
  if (argc < 2) return Fail("usage: xprobe cursor|pixel|ink|means|startup|close|watch|mark ...");
  display = XOpenDisplay(NULL);
  if (!display) return Fail("cannot open the display");
  int rc = 2;
  if (strcmp(argv[1], "cursor") == 0) {
    rc = PrintCursor();
  } else if (strcmp(argv[1], "pixel") == 0 && argc == 4) {
    XImage* image = Grab(atoi(argv[2]), atoi(argv[3]), 1, 1);
    if (image) {
      printf("%06lX\n", Rgb(image, 0, 0));
      XDestroyImage(image);
      rc = 0;
    }
  } else if (strcmp(argv[1], "ink") == 0 && argc == 8) {
    struct Ink ink;
    if (MeasureInk(atoi(argv[2]), atoi(argv[3]), atoi(argv[4]), atoi(argv[5]),
                   strtoul(argv[6], NULL, 16), atoi(argv[7]), &ink)) {
      printf("count %ld box %d %d %d %d\n", ink.count, ink.x0, ink.y0, ink.x1, ink.y1);
      rc = 0;
    }
  } else if (strcmp(argv[1], "means") == 0 && argc == 8) {
    rc = PrintMeans(atoi(argv[2]), atoi(argv[3]), atoi(argv[4]), atoi(argv[5]), atoi(argv[6]),
                    atoi(argv[7]));
  } else if (strcmp(argv[1], "close") == 0 && argc == 3) {
    rc = Close(argv[2]);
  } else if (strcmp(argv[1], "watch") == 0 && argc == 2) {
    rc = Watch();
  } else if (strcmp(argv[1], "mark") == 0 && argc == 3) {
    rc = Mark(argv[2]);
  } else if (strcmp(argv[1], "startup") == 0) {
    rc = Startup(argc - 1, argv + 1);
  } else {
    rc = Fail("unknown command");
  }
  XCloseDisplay(display);
  return rc;
}
