// Window and menu translation through the text lookup.
#include "ui/translate_window.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QSet>
#include <QTextEdit>
#include <QVariant>

#include "records/translate_text.h"

namespace plindar {

namespace {

// Set on every window and control once translated. A property, not a set of
// pointers: a new window at a freed window's address must still be translated.
constexpr char kTranslatedProperty[] = "plindar_translated";
const QString kEllipsis = QStringLiteral("...");

bool TakeFirstVisit(QWidget* widget) {
    if (widget->property(kTranslatedProperty).toBool()) {
        return false;
    }
    widget->setProperty(kTranslatedProperty, true);
    return true;
}

QString Translate(const QString& text) {
    return QString::fromStdString(TranslateText(text.toStdString()));
}

// The translation of `text` when it should replace it; empty when the text stays.
QString Replacement(const QString& text) {
    if (text.isEmpty() || text == kEllipsis) {
        return QString();
    }
    const QString translated = Translate(text);
    return translated == text ? QString() : translated;
}

// Controls whose contents are values, not captions: typed text, list contents,
// dates, numbers and progress.
bool KeepsItsContents(const QWidget* widget) {
    return qobject_cast<const QLineEdit*>(widget) != nullptr ||
           qobject_cast<const QTextEdit*>(widget) != nullptr ||
           qobject_cast<const QPlainTextEdit*>(widget) != nullptr ||
           qobject_cast<const QAbstractItemView*>(widget) != nullptr ||
           qobject_cast<const QAbstractSpinBox*>(widget) != nullptr ||
           qobject_cast<const QProgressBar*>(widget) != nullptr;
}

void TranslateCaption(QWidget* widget) {
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        const QString text = Replacement(label->text());
        if (!text.isEmpty()) {
            label->setText(text);
        }
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        const QString text = Replacement(button->text());
        if (!text.isEmpty()) {
            button->setText(text);
        }
    } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
        const QString text = Replacement(group->title());
        if (!text.isEmpty()) {
            group->setTitle(text);
        }
    }
}

void TranslateChildren(QWidget* parent) {
    for (QObject* object : parent->children()) {
        auto* child = qobject_cast<QWidget*>(object);
        // Another window (a popup, a menu, an owned dialog) translates itself.
        if (child == nullptr || child->isWindow()) {
            continue;
        }
        if (TakeFirstVisit(child)) {
            if (KeepsItsContents(child)) {
                continue;
            }
            if (auto* combo = qobject_cast<QComboBox*>(child)) {
                TranslateComboItems(combo);
            }
            TranslateCaption(child);
        } else if (KeepsItsContents(child)) {
            continue;
        }
        TranslateChildren(child);
    }
}

void TranslateMenuOnce(QMenu* menu, QSet<QMenu*>* visited) {
    if (menu == nullptr || visited->contains(menu)) {
        return;
    }
    visited->insert(menu);
    for (QAction* action : menu->actions()) {
        if (action->isSeparator()) {
            continue;
        }
        const QString text = Replacement(action->text());
        if (!text.isEmpty()) {
            action->setText(text);
        }
        TranslateMenuOnce(action->menu(), visited);
    }
}

}  // namespace

QString TrText(const char* english) {
    return QString::fromStdString(TranslateText(english));
}

QString TrText(const std::string& english) {
    return QString::fromStdString(TranslateText(english));
}

void TranslateDialog(QWidget* window) {
    if (window == nullptr || !TakeFirstVisit(window)) {
        return;
    }
    const QString title = Replacement(window->windowTitle());
    if (!title.isEmpty()) {
        window->setWindowTitle(title);
    }
    TranslateChildren(window);
}

void TranslateComboItems(QComboBox* combo) {
    if (combo == nullptr) {
        return;
    }
    const int selection = combo->currentIndex();
    for (int i = 0; i < combo->count(); ++i) {
        const QString text = Replacement(combo->itemText(i));
        if (!text.isEmpty()) {
            combo->setItemText(i, text);
        }
    }
    if (selection < combo->count() && combo->currentIndex() != selection) {
        combo->setCurrentIndex(selection);
    }
}

void TranslateMenu(QMenu* menu) {
    QSet<QMenu*> visited;
    TranslateMenuOnce(menu, &visited);
}

}  // namespace plindar
