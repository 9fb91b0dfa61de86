#include "controls/OutputBoxAccessible.h"

#include "controls/OutputBox.h"

#include <QAccessibleWidget>

#include <algorithm>

namespace tolvane {

namespace {

class OutputBoxAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit OutputBoxAccessible(OutputBox* box)
        : QAccessibleWidget(box, QAccessible::EditableText) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface) {
            return static_cast<QAccessibleTextInterface*>(this);
        }
        return QAccessibleWidget::interface_cast(type);
    }
    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.editable = true;
        state.multiLine = true;
        state.selectableText = true;
        return state;
    }
    QString text(QAccessible::Text kind) const override {
        return kind == QAccessible::Value ? box()->toPlainText() : QAccessibleWidget::text(kind);
    }

    void selection(int index, int* start, int* end) const override {
        *start = *end = 0;
        if (index == 0 && selectionCount() == 1) {
            const auto [from, to] = std::minmax(box()->anchorPosition(), box()->caretPosition());
            *start = static_cast<int>(from);
            *end = static_cast<int>(to);
        }
    }
    int selectionCount() const override {
        return box()->anchorPosition() != box()->caretPosition() ? 1 : 0;
    }
    void addSelection(int start, int end) override { box()->select(start, end); }
    void removeSelection(int) override {
        box()->select(box()->caretPosition(), box()->caretPosition());
    }
    void setSelection(int, int start, int end) override { box()->select(start, end); }
    int cursorPosition() const override { return static_cast<int>(box()->caretPosition()); }
    void setCursorPosition(int position) override { box()->select(position, position); }
    QString text(int start, int end) const override { return box()->textBetween(start, end); }
    int characterCount() const override { return static_cast<int>(box()->characterCount()); }
    QRect characterRect(int offset) const override {
        const QRect inViewport = box()->characterRect(offset);
        return inViewport.translated(box()->viewport()->mapToGlobal(QPoint(0, 0)));
    }
    int offsetAtPoint(const QPoint& point) const override {
        const QPoint inViewport = box()->viewport()->mapFromGlobal(point);
        return box()->viewport()->rect().contains(inViewport)
                   ? static_cast<int>(box()->offsetAt(inViewport))
                   : -1;
    }
    void scrollToSubstring(int start, int) override {
        box()->select(start, start);
        box()->ensureCaretVisible();
    }
    QString attributes(int offset, int* start, int* end) const override {
        *start = *end = offset;
        return QString();
    }

private:
    OutputBox* box() const { return static_cast<OutputBox*>(widget()); }
};

QAccessibleInterface* describeOutputBox(const QString& className, QObject* object) {
    if (className == QLatin1String(OutputBox::staticMetaObject.className()) && object &&
        object->isWidgetType()) {
        return new OutputBoxAccessible(static_cast<OutputBox*>(object));
    }
    return nullptr;
}

} // namespace

void installOutputBoxAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(describeOutputBox);
        return true;
    }();
    (void)installed;
}

} // namespace tolvane
