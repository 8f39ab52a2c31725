#pragma once

#include "gui/app/Main.h"
#include "gui/app/Parley.h"
#include "tests/support/Doubles.h"

#include <QObject>

#include <memory>

// Base of the tests that run the whole program on test doubles: fresh services and folders for every test
// function, and the program built from them by start().
class ProgramTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { m_env = std::make_unique<TestServices>(); }
    void cleanup()
    {
        m_parley.reset();
        m_env.reset();
    }

protected:
    TF_Main* main() const { return m_parley->main(); }
    void start() { m_parley = std::make_unique<Parley>(m_env->services); }
    // A line of the person's own into the chat, as sending it puts it there.
    void say(const QString& line) { main()->session().record().add({ChatEntry::Kind::Own, line}); }

    std::unique_ptr<TestServices> m_env;
    std::unique_ptr<Parley> m_parley;
};
