#pragma once

#include "shell/TMiruberoMainForm.h"
#include "support/Fakes.h"
#include "support/ResidentAccess.h"
#include "support/ScratchDir.h"

#include <gtest/gtest.h>

#include <memory>

namespace testsupport {

// The resident object over fakes of everything it reaches, with a scratch
// documents folder and the watch-list model; FormCreate is left to the test.
class ResidentFixture : public ::testing::Test, protected ResidentFakes {
protected:
    ResidentFixture()
    {
        folders.documents = scratch.file(QStringLiteral("home/Documents"));
        folders.program = scratch.file(QStringLiteral("bin"));
        form = std::make_unique<shell::TMiruberoMainForm>(Platform(), model);
    }

    ScratchDir scratch;
    FakeWindowView view;
    store::WatchListModel model;
    std::unique_ptr<shell::TMiruberoMainForm> form;
};

} // namespace testsupport
