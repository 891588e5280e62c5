// Type library post-step (placeholder: copies its input unchanged).
#include <fstream>
#include <iostream>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: tlbpatch INPUT.tlb OUTPUT.tlb\n";
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    std::ofstream out(argv[2], std::ios::binary);
    out << in.rdbuf();
    return in && out ? 0 : 1;
}
