/* The storm of the LAN benchmark, in C so that the peers never slow what they measure: COUNT peers on COUNT
 * addresses from FIRST connect to TARGET:196 at the same instant and wait for the name announcement (0x1B) that a
 * copy writes on every connection it accepts; each also listens on its own address, port 196, and takes the
 * connection opened back to it. Meanwhile a probe on the first address (a listed peer too) connects every 20 ms,
 * waits for its announcement and closes: the longest of its waits is how long the copy left a peer unanswered.
 * The probe goes on for 200 ms after the last peer is answered, or until the timeout.
 * Usage: storm_peers TARGET FIRST COUNT
 * Prints: "burst: A of COUNT answered, the last after T ms" and "probe: N answers, longest wait W ms". */
#define _GNU_SOURCE
#include <arpa/inet.h>
#include <errno.h>
#include <netinet/in.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/epoll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

enum { Port = 196, ProbeEveryMs = 20, AfterMs = 200, TimeoutMs = 20000, Events = 512 };
enum Kind { Listener = 1, Back, Peer, Probe };

struct Slot {
    enum Kind kind;
    int answered;
    double started;
};

static int epoll_fd;
static struct Slot* slots;

static double now_ms(void)
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

static void watch(int fd, enum Kind kind)
{
    slots[fd] = (struct Slot){.kind = kind, .started = now_ms()};
    struct epoll_event event = {.events = EPOLLIN | EPOLLRDHUP, .data.fd = fd};
    epoll_ctl(epoll_fd, EPOLL_CTL_ADD, fd, &event);
}

static void forget(int fd)
{
    epoll_ctl(epoll_fd, EPOLL_CTL_DEL, fd, NULL);
    close(fd);
    slots[fd].kind = 0;
}

static struct sockaddr_in address_of(in_addr_t host_order)
{
    return (struct sockaddr_in){.sin_family = AF_INET, .sin_port = htons(Port), .sin_addr.s_addr = htonl(host_order)};
}

static int open_socket(void)
{
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    return fd;
}

static void listen_on(in_addr_t host_order)
{
    int fd = open_socket();
    struct sockaddr_in at = address_of(host_order);
    if (bind(fd, (struct sockaddr*)&at, sizeof at) < 0 || listen(fd, 64) < 0) {
        perror("storm_peers: listen");
        exit(1);
    }
    watch(fd, Listener);
}

static void connect_from(in_addr_t from, in_addr_t to, enum Kind kind)
{
    int fd = open_socket();
    struct sockaddr_in local = address_of(from);
    local.sin_port = 0;
    struct sockaddr_in remote = address_of(to);
    if (bind(fd, (struct sockaddr*)&local, sizeof local) < 0 ||
        (connect(fd, (struct sockaddr*)&remote, sizeof remote) < 0 && errno != EINPROGRESS)) {
        perror("storm_peers: connect");
        exit(1);
    }
    watch(fd, kind);
}

int main(int argc, char** argv)
{
    if (argc < 4) {
        fprintf(stderr, "usage: storm_peers TARGET FIRST COUNT\n");
        return 2;
    }
    struct rlimit limit;
    getrlimit(RLIMIT_NOFILE, &limit);
    limit.rlim_cur = limit.rlim_max < (1 << 20) ? limit.rlim_max : (1 << 20);
    setrlimit(RLIMIT_NOFILE, &limit);
    slots = calloc(limit.rlim_cur, sizeof *slots);
    epoll_fd = epoll_create1(EPOLL_CLOEXEC);

    struct in_addr parsed;
    inet_pton(AF_INET, argv[1], &parsed);
    const in_addr_t target = ntohl(parsed.s_addr);
    inet_pton(AF_INET, argv[2], &parsed);
    const in_addr_t first = ntohl(parsed.s_addr);
    const int count = atoi(argv[3]);
    for (int n = 0; n < count; ++n)
        listen_on(first + n);

    const double start = now_ms();
    for (int n = 0; n < count; ++n)
        connect_from(first + n, target, Peer);
    int answered = 0, probes = 0, probe_open = 0;
    double last = 0, longest = 0, next_probe = start, done_at = 0, probe_started = 0;
    struct epoll_event events[Events];
    for (;;) {
        const double t = now_ms();
        if (probe_open)
            longest = t - probe_started > longest ? t - probe_started : longest;
        if ((done_at > 0 && t >= done_at) || t - start > TimeoutMs)
            break;
        if (!probe_open && t >= next_probe) {
            connect_from(first, target, Probe);
            probe_open = 1;
            probe_started = t;
            next_probe = t + ProbeEveryMs;
        }
        const int ready = epoll_wait(epoll_fd, events, Events, 1);
        for (int i = 0; i < ready; ++i) {
            const int fd = events[i].data.fd;
            struct Slot* slot = &slots[fd];
            if (slot->kind == Listener) {
                int back;
                while ((back = accept4(fd, NULL, NULL, SOCK_NONBLOCK | SOCK_CLOEXEC)) >= 0)
                    watch(back, Back);
                continue;
            }
            char buffer[4096];
            const ssize_t got = read(fd, buffer, sizeof buffer);
            const double at = now_ms();
            if (got > 0 && buffer[0] == 0x1b && !slot->answered && slot->kind != Back) {
                slot->answered = 1;
                if (slot->kind == Probe) {
                    ++probes;
                    longest = at - probe_started > longest ? at - probe_started : longest;
                    probe_open = 0;
                    forget(fd);
                    continue;
                }
                last = at - start;
                if (++answered == count)
                    done_at = at + AfterMs;
            } else if (got == 0 || (got < 0 && errno != EAGAIN)) {
                if (slot->kind == Probe)
                    probe_open = 0;
                forget(fd);
            }
        }
    }
    printf("burst: %d of %d answered, the last after %.1f ms\n", answered, count, last);
    printf("probe: %d answers, longest wait %.1f ms\n", probes, longest);
    return 0;
}
