#include "mainwindow/Form1Fixture.h"

namespace tolvane::test {

Form1Fixture::Form1Fixture() {
    Form1::Services services;
    services.messages = &messages;
    services.endProgram = [this] { ++endRequests; };
    services.folders = &folders;
    form = std::make_unique<Form1>(services);
}

Form1Fixture::~Form1Fixture() = default;

} // namespace tolvane::test
