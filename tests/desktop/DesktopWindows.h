// The program's windows on a temporary program folder, made anew for each program start,
// with fake services (message boxes, documents, today's date) and questions answered Yes.
#pragma once

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <string>

#include "app/Forms.h"
#include "desktop/Desktop.h"
#include "platform/Globals.h"
#include "platform/Ini.h"
#include "support/FakeServices.h"
#include "support/TempFolder.h"

namespace kxtest {

class DesktopWindows : public ::testing::Test {
protected:
    TempFolder folder;
    kx::FakeServices fake;
    kx::ScopedServices use{fake};

    void SetUp() override {
        folder.makeProgramFolder();
        for (const char* f : {"BEXWWL.dat", "CityBEX.dat", "KXInfo.dat", "KXInfoLT.dat"})
            folder.copyData(f);
        kx::Language = "EN";
        fake.defaultReply = QMessageBox::Yes;
    }
    void TearDown() override {
        kx::DestroyForms();
        kx::SettingsFile.Open("");
    }
    // One program start: the windows are made anew and the settings file opened.
    void start() {
        kx::DestroyForms();
        kx::SettingsFile.Open(folder.file("Kvadrix.ini"));
        kx::CreateForms();
    }
    int stored(const char* key) const {
        return kx::IniFile(folder.file("Kvadrix.ini")).ReadInteger("WINDOWS", key, -12345);
    }
    static QRect Desk() { return QGuiApplication::primaryScreen()->availableGeometry(); }
};

}  // namespace kxtest
