#include <cstdio>

int main()
{
    std::fputs("usage: fennex-rotate --rotate 90|180|270 --output DIR FILE...\n", stderr);
    return 2;
}
