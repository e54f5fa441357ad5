#pragma once
// A run of the program on fake platform services.

#include "FakeServices.h"
#include "app/Program.h"
#include "shell/StartUp.h"

#include <QCoreApplication>
#include <QEvent>

#include <gtest/gtest.h>

class ProgramTest : public ::testing::Test {
protected:
    fakes::Services fake;
    Program program{fake.services()};

    ProgramTest() { InstallShell(program); }

    // What returning to the main event loop does: posted events and deferred deletions.
    static void returnToEventLoop()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }
};
