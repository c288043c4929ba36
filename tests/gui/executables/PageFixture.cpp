#include "PageFixture.h"

#include "platform/shell/MsgBox.h"
#include "platform/widgets/OleColor.h"

#include <QDir>
#include <QEvent>

using namespace exetest;

class PageTest::EnabledWatch : public QObject {
public:
    explicit EnabledWatch(PageTest& test) : test_(test) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::EnabledChange && watched == test_.form.get()) {
            test_.enabledChanges.push_back(test_.form->isEnabled());
            test_.captionsAtEnabledChange.push_back(test_.page().cmdEXE2ICO->text());
        }
        return false;
    }

private:
    PageTest& test_;
};

std::map<std::string, Bytes> PageTest::StartFiles() const {
    return {{"A.exe", PeWith({Marked32(32, kRed)})}, {"b.exe", PeOfColour(kBlue)}};
}

void PageTest::SetUp() {
    previousDir_ = QDir::currentPath();
    for (const auto& [name, bytes] : StartFiles()) {
        std::filesystem::create_directories((startDir / name).parent_path());
        Write(startDir / name, bytes);
    }
    ASSERT_TRUE(QDir::setCurrent(StartPath()));
    platform::SetMsgBoxSink([this](const QString& text, int style, const QString& title) {
        const QString caption = form && form->executables ? page().cmdEXE2ICO->text() : QString();
        messages.push_back({text, style, title, caption});
    });
    form = std::make_unique<frmMain>();
    form->Form_Load();
    enabledWatch_ = std::make_unique<EnabledWatch>(*this);
    form->installEventFilter(enabledWatch_.get());
}

void PageTest::TearDown() {
    if (form)
        form->removeEventFilter(enabledWatch_.get());
    form.reset();
    platform::SetMsgBoxSink({});
    QDir::setCurrent(previousDir_);
}

QImage PageTest::Preview() const {
    return page().picShowICO->Snapshot().convertToFormat(QImage::Format_ARGB32);
}

uint32_t PageTest::Background() const {
    return platform::ToColor(platform::kWindowBackground).rgba();
}

void PageTest::ClickEntry(int index) {
    // The list's own selection change, as a mouse click makes it.
    page().filEXE->setCurrentRow(index);
}

std::vector<QString> PageTest::Listed() const {
    std::vector<QString> names;
    for (int i = 0; i < page().filEXE->ListCount(); ++i)
        names.push_back(page().filEXE->List(i));
    return names;
}
