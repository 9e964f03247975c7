#pragma once

// Shared fixtures of the note tests: menus like the main window's, and note
// files written the way the program (or an old copy of it) leaves them.

#include "base/text_codec.h"
#include "notes/note_board.h"
#include "support/temp_home.h"

#include <QAction>
#include <QMap>
#include <QMenu>
#include <QStringList>

namespace kova::test {

// "ＭＳ Ｐゴシック" as Shift-JIS bytes.
inline const QByteArray
    kMsPGothicSjis("\x82\x6c\x82\x72\x20\x82\x6f\x83\x53\x83\x56\x83\x62\x83\x4e");

struct TestMenus {
    QMenu fusen;
    QMenu tray;
    QAction* edit = fusen.addAction(QStringLiteral("編集"));
    QAction* top = fusen.addAction(QStringLiteral("最前面に表示"));
    QAction* back = fusen.addAction(QStringLiteral("最背面に表示"));
    QAction* hide = fusen.addAction(QStringLiteral("非表示"));
    QAction* kill = fusen.addAction(QStringLiteral("はがす"));
    QAction* newNote = tray.addAction(QStringLiteral("[新規作成]"));
    QMap<int, QAction*> entries;

    TestMenus() {
        top->setCheckable(true);
        back->setCheckable(true);
        // Element 0 exists from the start, invisible.
        entry(0)->setVisible(false);
    }

    QAction* entry(int n) {
        if (!entries.contains(n))
            entries.insert(n, tray.addAction(QString()));
        return entries.value(n);
    }

    NoteMenus menus() {
        NoteMenus m;
        m.mnuFusen = &fusen;
        m.mnuEdit = edit;
        m.mnuFusenTOPMOST = top;
        m.mnuFusenBACKMOST = back;
        m.mnuFusenNonVisible = hide;
        m.mnuKill = kill;
        m.mnuNewHusen = newNote;
        m.ensureFusenVisible = [this](int n) { return entry(n); };
        m.fusenVisible = [this](int n) { return entries.value(n, nullptr); };
        return m;
    }
};

// Field lines as an older copy wrote them: each value quoted, CR LF, Shift-JIS.
inline QByteArray fieldFile(const QStringList& values) {
    QByteArray bytes;
    for (const QString& v : values)
        bytes += '"' + toShiftJis(v) + "\"\r\n";
    return bytes;
}

// A posted note with the default look at (top, left) twips, no timer.
inline QStringList noteFields(int top, int left, const QString& visible = QStringLiteral("True"),
                              const QString& zorder = QStringLiteral("False")) {
    return {QStringLiteral("ＭＳ Ｐゴシック"),
            QStringLiteral("9"),
            QStringLiteral("False"),
            QStringLiteral("False"),
            QStringLiteral("&HFFFFFF"),
            QStringLiteral("&H0"),
            visible,
            QString::number(top),
            QString::number(left),
            QString(),
            QString(),
            QString(),
            QString(),
            QString(),
            zorder};
}

inline void storeNote(const TempHome& home, int n, const QStringList& fields,
                      const QString& text = QStringLiteral("メモ")) {
    home.write(QStringLiteral("KovaShell%1.hsn").arg(n), fieldFile(fields));
    home.write(QStringLiteral("KovaShell%1.log").arg(n), toShiftJis(text) + "\r\n");
}

} // namespace kova::test
