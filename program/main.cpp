// Placeholder entry point until the application layer lands.
#include <cstdio>

int main()
{
    std::puts("dataentry: the main form is not built yet");
    return 0;
}
