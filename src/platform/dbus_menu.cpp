#include "dbus_menu.h"

#include <QAction>
#include <QDBusArgument>
#include <QDBusMetaType>
#include <QEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QTimer>

namespace kova {

QDBusArgument& operator<<(QDBusArgument& arg, const DBusMenuLayoutItem& item) {
    arg.beginStructure();
    arg << item.id << item.properties;
    arg.beginArray(QMetaType::fromType<QDBusVariant>());
    for (const DBusMenuLayoutItem& child : item.children)
        arg << QDBusVariant(QVariant::fromValue(child));
    arg.endArray();
    arg.endStructure();
    return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, DBusMenuLayoutItem& item) {
    arg.beginStructure();
    arg >> item.id >> item.properties;
    item.children.clear();
    arg.beginArray();
    while (!arg.atEnd()) {
        QDBusVariant child;
        arg >> child;
        item.children << qdbus_cast<DBusMenuLayoutItem>(child.variant());
    }
    arg.endArray();
    arg.endStructure();
    return arg;
}

QDBusArgument& operator<<(QDBusArgument& arg, const DBusMenuItem& item) {
    arg.beginStructure();
    arg << item.id << item.properties;
    arg.endStructure();
    return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, DBusMenuItem& item) {
    arg.beginStructure();
    arg >> item.id >> item.properties;
    arg.endStructure();
    return arg;
}

QDBusArgument& operator<<(QDBusArgument& arg, const DBusMenuItemKeys& item) {
    arg.beginStructure();
    arg << item.id << item.names;
    arg.endStructure();
    return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, DBusMenuItemKeys& item) {
    arg.beginStructure();
    arg >> item.id >> item.names;
    arg.endStructure();
    return arg;
}

QDBusArgument& operator<<(QDBusArgument& arg, const DBusMenuEvent& event) {
    arg.beginStructure();
    arg << event.id << event.eventId << event.data << event.timestamp;
    arg.endStructure();
    return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, DBusMenuEvent& event) {
    arg.beginStructure();
    arg >> event.id >> event.eventId >> event.data >> event.timestamp;
    arg.endStructure();
    return arg;
}

QString dbusMenuLabel(const QString& text) {
    QString label;
    label.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'_') {
            label += QStringLiteral("__");
        } else if (c == u'&') {
            // "&&" is a plain "&"; "&x" makes x the mnemonic.
            if (i + 1 < text.size() && text.at(i + 1) == u'&')
                ++i, label += u'&';
            else if (i + 1 < text.size())
                label += u'_';
        } else {
            label += c;
        }
    }
    return label;
}

DBusMenu::DBusMenu(QMenu* menu, QObject* parent) : QObject(parent), root_(menu) {
    qDBusRegisterMetaType<DBusMenuLayoutItem>();
    qDBusRegisterMetaType<DBusMenuItem>();
    qDBusRegisterMetaType<QList<DBusMenuItem>>();
    qDBusRegisterMetaType<DBusMenuItemKeys>();
    qDBusRegisterMetaType<QList<DBusMenuItemKeys>>();
    qDBusRegisterMetaType<DBusMenuEvent>();
    qDBusRegisterMetaType<QList<DBusMenuEvent>>();
    qDBusRegisterMetaType<QList<int>>();
    take(0, told_);
}

DBusMenu::~DBusMenu() = default;

QString DBusMenu::textDirection() const {
    return QGuiApplication::layoutDirection() == Qt::RightToLeft ? QStringLiteral("rtl")
                                                                 : QStringLiteral("ltr");
}

int DBusMenu::idOf(QAction* action) {
    if (const auto it = ids_.constFind(action); it != ids_.constEnd())
        return it.value();
    const int id = nextId_++;
    ids_.insert(action, id);
    actions_.insert(id, action);
    connect(action, &QObject::destroyed, this, [this, action, id] {
        ids_.remove(action);
        actions_.remove(id);
    });
    return id;
}

QMenu* DBusMenu::menuOf(int id) const {
    if (id == 0)
        return root_;
    const QAction* action = actions_.value(id);
    return action != nullptr ? action->menu() : nullptr;
}

QVariantMap DBusMenu::propertiesOf(int id) const {
    if (id == 0)
        return {{QStringLiteral("children-display"), QStringLiteral("submenu")}};
    const QAction* action = actions_.value(id);
    if (action == nullptr)
        return {};
    if (action->isSeparator())
        return {{QStringLiteral("type"), QStringLiteral("separator")}};
    QVariantMap properties{{QStringLiteral("label"), dbusMenuLabel(action->text())},
                           {QStringLiteral("enabled"), action->isEnabled()}};
    if (action->menu() != nullptr)
        properties.insert(QStringLiteral("children-display"), QStringLiteral("submenu"));
    if (action->isCheckable()) {
        properties.insert(QStringLiteral("toggle-type"), action->actionGroup() != nullptr
                                                             ? QStringLiteral("radio")
                                                             : QStringLiteral("checkmark"));
        properties.insert(QStringLiteral("toggle-state"), action->isChecked() ? 1 : 0);
    }
    return properties;
}

// Walks the shown items below `id`, watching every menu on the way.
void DBusMenu::take(int id, Snapshot& into) {
    into.properties.insert(id, propertiesOf(id));
    QMenu* menu = menuOf(id);
    if (menu == nullptr)
        return;
    if (!watched_.contains(menu)) {
        watched_.insert(menu);
        menu->installEventFilter(this);
        connect(menu, &QObject::destroyed, this, [this, menu] { watched_.remove(menu); });
    }
    QList<int>& children = into.children[id];
    for (QAction* action : menu->actions()) {
        if (!action->isVisible())
            continue;
        const int child = idOf(action);
        children << child;
        take(child, into);
    }
}

DBusMenuLayoutItem DBusMenu::layoutOf(int id, int depth, const QStringList& names) {
    DBusMenuLayoutItem item;
    item.id = id;
    const QVariantMap all = told_.properties.value(id);
    for (auto it = all.constBegin(); it != all.constEnd(); ++it) {
        if (names.isEmpty() || names.contains(it.key()))
            item.properties.insert(it.key(), it.value());
    }
    if (depth == 0)
        return item;
    for (int child : told_.children.value(id))
        item.children << layoutOf(child, depth - 1, names);
    return item;
}

uint DBusMenu::GetLayout(int parentId, int recursionDepth, const QStringList& propertyNames,
                         DBusMenuLayoutItem& layout) {
    // A host asking right after a change gets the change.
    if (pending_)
        tellChanges();
    layout = layoutOf(parentId, recursionDepth, propertyNames);
    return revision_;
}

QList<DBusMenuItem> DBusMenu::GetGroupProperties(const QList<int>& ids,
                                                 const QStringList& propertyNames) {
    if (pending_)
        tellChanges();
    QList<DBusMenuItem> items;
    const QList<int> wanted = ids.isEmpty() ? told_.properties.keys() : ids;
    for (int id : wanted) {
        if (told_.properties.contains(id))
            items << DBusMenuItem{id, layoutOf(id, 0, propertyNames).properties};
    }
    return items;
}

QDBusVariant DBusMenu::GetProperty(int id, const QString& name) {
    return QDBusVariant(told_.properties.value(id).value(name));
}

void DBusMenu::Event(int id, const QString& eventId, const QDBusVariant&, uint) {
    if (eventId != QLatin1String("clicked"))
        return;
    QAction* action = actions_.value(id);
    if (action == nullptr || action->menu() != nullptr || !action->isEnabled() ||
        !action->isVisible())
        return;
    // After the reply: what the item does may take a while or end the program.
    QTimer::singleShot(0, action, &QAction::trigger);
}

QList<int> DBusMenu::EventGroup(const QList<DBusMenuEvent>& events) {
    QList<int> unknown;
    for (const DBusMenuEvent& e : events) {
        if (!told_.properties.contains(e.id))
            unknown << e.id;
        else
            Event(e.id, e.eventId, e.data, e.timestamp);
    }
    return unknown;
}

bool DBusMenu::AboutToShow(int) {
    // Changes are told as they happen; there is never anything to fetch.
    return false;
}

QList<int> DBusMenu::AboutToShowGroup(const QList<int>& ids, QList<int>& idErrors) {
    for (int id : ids) {
        if (!told_.properties.contains(id))
            idErrors << id;
    }
    return {};
}

bool DBusMenu::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::ActionAdded:
    case QEvent::ActionChanged:
    case QEvent::ActionRemoved:
        changed();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void DBusMenu::changed() {
    if (pending_)
        return;
    pending_ = true;
    // A rebuild changes many items at once: the host hears of them together.
    QTimer::singleShot(0, this, [this] {
        if (pending_)
            tellChanges();
    });
}

void DBusMenu::tellChanges() {
    pending_ = false;
    Snapshot now;
    take(0, now);
    QList<DBusMenuItem> updated;
    for (auto it = now.properties.constBegin(); it != now.properties.constEnd(); ++it) {
        const auto before = told_.properties.constFind(it.key());
        if (before != told_.properties.constEnd() && before.value() != it.value())
            updated << DBusMenuItem{it.key(), it.value()};
    }
    const bool layoutChanged = now.children != told_.children;
    told_ = std::move(now);
    if (!updated.isEmpty())
        emit ItemsPropertiesUpdated(updated, {});
    if (layoutChanged)
        emit LayoutUpdated(++revision_, 0);
}

} // namespace kova
