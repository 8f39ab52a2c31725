/* The floor for the storm benchmark: a bare server in C doing the socket work a copy does for a connecting peer,
 * and nothing else. It listens on TARGET:196, accepts every pending connection, writes the name announcement on it
 * and opens a connection back to the peer's port 196 once no peer has connected for 3 ms (as a copy does: the crowd
 * is answered first), all non-blocking on one epoll loop; what arrives is read and dropped. Prints "serving" once it listens. Each line on standard input is written to every accepted connection, as
 * a copy writes a typed line; the end of standard input ends it.
 * Usage: bare_server TARGET */
#define _GNU_SOURCE
#include <arpa/inet.h>
#include <errno.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/epoll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

enum { Port = 196, Backlog = 4096, Events = 256, QuietMs = 3 };

static int epoll_fd;
/* Peers that connected, to be connected back to once the crowd has passed. */
static struct in_addr* waiting;
static int waiting_count;
/* Which descriptors are connections this server accepted. */
static char* accepted;

static void watch(int fd, unsigned events)
{
    struct epoll_event event = {.events = events, .data.fd = fd};
    epoll_ctl(epoll_fd, EPOLL_CTL_ADD, fd, &event);
}

static void connect_back(struct in_addr peer)
{
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return;
    struct sockaddr_in to = {.sin_family = AF_INET, .sin_port = htons(Port), .sin_addr = peer};
    if (connect(fd, (struct sockaddr*)&to, sizeof to) < 0 && errno != EINPROGRESS) {
        close(fd);
        return;
    }
    watch(fd, EPOLLIN | EPOLLRDHUP);
}

static void accept_pending(int listener)
{
    for (;;) {
        struct sockaddr_in from;
        socklen_t length = sizeof from;
        int fd = accept4(listener, (struct sockaddr*)&from, &length, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0)
            return;
        static const char announcement[] = "\x1b"
                                           "bare";
        if (write(fd, announcement, sizeof announcement - 1) < 0) {
            close(fd);
            continue;
        }
        watch(fd, EPOLLIN | EPOLLRDHUP);
        accepted[fd] = 1;
        waiting[waiting_count++] = from.sin_addr;
    }
}

static void drain(int fd)
{
    char buffer[65536];
    ssize_t got;
    while ((got = read(fd, buffer, sizeof buffer)) > 0)
        ;
    if (got == 0 || (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK)) {
        epoll_ctl(epoll_fd, EPOLL_CTL_DEL, fd, NULL);
        close(fd);
        accepted[fd] = 0;
    }
}

static void write_to_all(int limit, const char* line, size_t size)
{
    for (int fd = 0; fd < limit; ++fd) {
        if (accepted[fd] && write(fd, line, size) < 0) {
            /* a peer that cannot take it is one line short, as with a copy */
        }
    }
}

/* Each line of standard input, without its line feed, goes to every connection as one write. */
static int write_lines_of_input(int limit)
{
    static char pending[1 << 16];
    static size_t held;
    ssize_t got = read(STDIN_FILENO, pending + held, sizeof pending - held);
    if (got <= 0)
        return 0;
    held += (size_t)got;
    size_t start = 0;
    for (size_t i = 0; i < held; ++i) {
        if (pending[i] == '\n') {
            if (i > start)
                write_to_all(limit, pending + start, i - start);
            start = i + 1;
        }
    }
    if (start == 0 && held == sizeof pending) { /* a line longer than the buffer goes in pieces */
        write_to_all(limit, pending, held);
        start = held;
    }
    memmove(pending, pending + start, held - start);
    held -= start;
    return 1;
}

int main(int argc, char** argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: bare_server TARGET\n");
        return 2;
    }
    struct rlimit limit;
    getrlimit(RLIMIT_NOFILE, &limit);
    limit.rlim_cur = limit.rlim_max < (1 << 20) ? limit.rlim_max : (1 << 20);
    setrlimit(RLIMIT_NOFILE, &limit);
    accepted = calloc(limit.rlim_cur, 1);
    waiting = calloc(limit.rlim_cur, sizeof *waiting);

    int listener = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    int on = 1;
    setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    struct sockaddr_in at = {.sin_family = AF_INET, .sin_port = htons(Port)};
    inet_pton(AF_INET, argv[1], &at.sin_addr);
    if (bind(listener, (struct sockaddr*)&at, sizeof at) < 0 || listen(listener, Backlog) < 0) {
        perror("bare_server");
        return 1;
    }
    epoll_fd = epoll_create1(EPOLL_CLOEXEC);
    watch(listener, EPOLLIN);
    watch(STDIN_FILENO, EPOLLIN);
    printf("serving\n");
    fflush(stdout);
    struct epoll_event events[Events];
    for (;;) {
        int ready = epoll_wait(epoll_fd, events, Events, waiting_count > 0 ? QuietMs : -1);
        if (ready == 0) {
            for (int i = 0; i < waiting_count; ++i)
                connect_back(waiting[i]);
            waiting_count = 0;
        }
        for (int i = 0; i < ready; ++i) {
            if (events[i].data.fd == listener) {
                accept_pending(listener);
            } else if (events[i].data.fd == STDIN_FILENO) {
                if (!write_lines_of_input((int)limit.rlim_cur))
                    return 0;
            } else {
                drain(events[i].data.fd);
            }
        }
    }
}
