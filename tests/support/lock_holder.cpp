// Usage: lock_holder PATH. Takes an exclusive flock on PATH, prints "locked" and holds it until stdin closes.
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

int main(int argc, char* argv[])
{
    if (argc != 2)
        return 2;
    const int fd = open(argv[1], O_RDWR | O_CREAT, 0666);
    if (fd < 0 || flock(fd, LOCK_EX) != 0)
        return 1;
    std::puts("locked");
    std::fflush(stdout);
    char c;
    while (read(STDIN_FILENO, &c, 1) > 0) {
    }
    return 0;
}
