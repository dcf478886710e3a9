// The core tests take the process locale from the environment, as the window does through
// Qt: run with LC_ALL=fr_FR.UTF-8 they see the decimal comma that a French desktop gives
// the C library. A locale asked for and missing fails the run instead of testing under C.

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <iostream>

int main(int argc, char** argv) {
    const char* demandee = std::getenv("LC_ALL");
    if (!std::setlocale(LC_ALL, "") && demandee && *demandee) {
        std::cerr << "La locale " << demandee << " n'existe pas sur cette machine (scripts/dependances.sh la crée).\n";
        return 1;
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
