#pragma once
// Runs a test body under the C locale and under a French LC_NUMERIC, where the C library
// reads "0.025" as 0 and writes 1.5 as "1,5".

#include <gtest/gtest.h>

#include <clocale>
#include <string>

namespace korvelin::test {

inline constexpr const char* LocalesNumeriques[] = {"C", "fr_FR.UTF-8"};

class SousLocale : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        avant_ = std::setlocale(LC_NUMERIC, nullptr);
        ASSERT_NE(std::setlocale(LC_NUMERIC, GetParam()), nullptr)
            << "la locale " << GetParam() << " manque (scripts/dependances.sh la crée)";
    }
    void TearDown() override { std::setlocale(LC_NUMERIC, avant_.c_str()); }

private:
    std::string avant_;
};

}  // namespace korvelin::test
