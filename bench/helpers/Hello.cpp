// The baseline for whole-process timings: the smallest C++ program that prints a line.
#include <iostream>

int main()
{
    std::cout << "hello\n";
    return 0;
}
