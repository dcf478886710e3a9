// The window tests run offscreen, with HOME and XDG_CONFIG_HOME in a folder of their own so
// that nothing touches the user's settings.

#include <gtest/gtest.h>

#include <QApplication>

#include <filesystem>

#include "support/dossier_temporaire.h"
#include "workspace/traductions.h"

int main(int argc, char** argv) {
    korvelin::test::DossierTemporaire maison;
    const std::string config = maison.Chemin("config");
    std::filesystem::create_directories(config);
    ::setenv("HOME", maison.Dossier().c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    korvelin::ChargeTraductions(app);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
