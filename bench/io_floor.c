/* The I/O floor: copies standard input to standard output one byte at a time. */
#include <stdio.h>

int main(void) {
    int c;
    while ((c = getc(stdin)) != EOF) putchar(c);
    return 0;
}
