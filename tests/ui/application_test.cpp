// SPDX-License-Identifier: MIT
// The application-level catch and the error reporter behind it.
#include "uitest.h"

#include <QEvent>

#include <stdexcept>

using glenvary::uitest::TakeReportedErrors;
namespace platform = glenvary::platform;

namespace {

// An object whose event handler fails as a real handler might.
class TFailingObject : public QObject {
public:
    int thrown = 0;

protected:
    bool event(QEvent* event) override
    {
        if (event->type() == QEvent::User) {
            ++thrown;
            throw std::runtime_error("handler failed");
        }
        if (event->type() == QEvent::User + 1) {
            ++thrown;
            throw 42;
        }
        return QObject::event(event);
    }
};

} // namespace

class TApplicationTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { QVERIFY2(glenvary::uitest::NothingReported(), "unexpected report"); }

    void exceptionFromAHandlerIsReportedOnce_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("message");
        QTest::newRow("standard exception") << int(QEvent::User) << QStringLiteral("handler failed");
        QTest::newRow("anything else") << int(QEvent::User + 1) << QStringLiteral("unknown error");
    }
    void exceptionFromAHandlerIsReportedOnce()
    {
        QFETCH(int, type);
        QFETCH(QString, message);
        TFailingObject object;
        QEvent event(static_cast<QEvent::Type>(type));
        QVERIFY(!QCoreApplication::sendEvent(&object, &event));
        QCOMPARE(TakeReportedErrors(), QStringList{message});
        // Posted events fail inside the event loop; the loop goes on.
        QCoreApplication::postEvent(&object, new QEvent(static_cast<QEvent::Type>(type)));
        QCoreApplication::postEvent(&object, new QEvent(static_cast<QEvent::Type>(type)));
        QCoreApplication::processEvents();
        QCOMPARE(object.thrown, 3);
        QCOMPARE(TakeReportedErrors(), (QStringList{message, message}));
    }

    void installingAReporterGivesBackThePreviousOne()
    {
        QStringList mine;
        platform::TErrorReporter previous =
            platform::SetErrorReporter([&mine](platform::TProblem kind, const QString& message) {
                mine.append((kind == platform::TProblem::Warning ? QStringLiteral("warning ") : QString()) + message);
            });
        platform::ReportUnexpectedError(QStringLiteral("first"));
        platform::ReportWarning(QStringLiteral("second"));
        platform::TErrorReporter restored = platform::SetErrorReporter(previous);
        restored(platform::TProblem::Unexpected, QStringLiteral("third"));
        QCOMPARE(mine, (QStringList{QStringLiteral("first"), QStringLiteral("warning second"),
                                    QStringLiteral("third")}));
        QVERIFY(TakeReportedErrors().isEmpty());
    }

    void failingReporterIsNotASecondFailure()
    {
        platform::TErrorReporter previous =
            platform::SetErrorReporter([](platform::TProblem, const QString&) { throw std::runtime_error("reporter failed"); });
        platform::ReportUnexpectedError(QStringLiteral("lost"));
        platform::SetErrorReporter(previous);
    }

    void describingWithoutAnExceptionSaysUnknown()
    {
        QCOMPARE(platform::DescribeCurrentException(), QStringLiteral("unknown error"));
    }
};

GLENVARY_UI_TEST_MAIN(TApplicationTest)
#include "application_test.moc"
