#include "gui/EditorText.h"

#include <QEvent>
#include <QPointer>
#include <QTextCharFormat>
#include <QTextDocument>
#include <QTextEdit>

namespace {

// Holds the document's layout with a null page size, which the layout takes as "nothing to lay
// out", and gives the size back when the box is shown. A box resized meanwhile has set its own
// size by then, which stays.
class LayoutHold : public QObject {
public:
    explicit LayoutHold(QTextEdit* editor)
        : QObject(editor)
        , document_(editor->document())
        , pageSize_(document_->pageSize()) {
        document_->setPageSize(QSizeF(0, 0));
        editor->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            if (document_ && document_->pageSize().isNull())
                document_->setPageSize(pageSize_);
            watched->removeEventFilter(this);
            deleteLater();
        }
        return false;
    }

private:
    QPointer<QTextDocument> document_;
    QSizeF pageSize_;
};

} // namespace

namespace EditorText {

QString plainText(const QTextDocument* document) {
    QString text = document->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return text;
}

QString plainText(const QTextEdit* editor) {
    return plainText(editor->document());
}

void setPlainText(QTextEdit* editor, const QString& text) {
    editor->setCurrentCharFormat(QTextCharFormat());
    editor->setPlainText(text);
}

void deferLayoutUntilShown(QTextEdit* editor) {
    // A null page size means the layout is held already, or was never started.
    if (editor->isVisible() || editor->document()->pageSize().isNull())
        return;
    new LayoutHold(editor);
}

} // namespace EditorText
