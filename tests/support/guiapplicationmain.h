// A GoogleTest main for logic tests that lay out text: fonts need a GUI application.
#pragma once

#include <QGuiApplication>
#include <gtest/gtest.h>

/// Defines main(): an offscreen QGuiApplication, then every test.
#define MELODEX_GTEST_GUI_MAIN()                                                                   \
    int main(int argc, char **argv)                                                                \
    {                                                                                              \
        qputenv("QT_QPA_PLATFORM", "offscreen");                                                   \
        QGuiApplication app(argc, argv);                                                           \
        ::testing::InitGoogleTest(&argc, argv);                                                    \
        return RUN_ALL_TESTS();                                                                    \
    }
