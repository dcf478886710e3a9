#include "workspace/f_sequence.h"

#include <QDropEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace korvelin {

namespace {

QString Texte(Code2 e) { return QString::fromStdString(e.Texte()); }

QLabel* Aide(QWidget* parent, const char* nom, const char* texte) {
    auto* l = new QLabel(QString::fromUtf8(texte), parent);
    l->setObjectName(nom);
    l->setWordWrap(true);
    return l;
}

}  // namespace

ListeSequences::ListeSequences(QWidget* parent) : QListWidget(parent) {
    setDragDropMode(QAbstractItemView::InternalMove);
    setDefaultDropAction(Qt::MoveAction);
    setSelectionMode(QAbstractItemView::SingleSelection);
}

void ListeSequences::dropEvent(QDropEvent* e) {
    // The list itself changes nothing: the model moves the trace and the list follows.
    e->setDropAction(Qt::IgnoreAction);
    e->accept();
    Depose(e->position().toPoint());
}

void ListeSequences::Depose(QPoint p) {
    const int de = currentRow();
    int vers = count() - 1;
    if (QListWidgetItem* cible = itemAt(p)) {
        vers = row(cible);
        // Dropped on the upper half of an item below the dragged one, it lands just above
        // it; on the lower half of one above, just below it.
        const QRect r = visualItemRect(cible);
        if (vers > de && p.y() < r.center().y()) --vers;
        if (vers < de && p.y() >= r.center().y()) ++vers;
    }
    if (de >= 0 && vers != de) emit Deplacement(de, vers);
}

F_Sequence::F_Sequence(Document& doc, Code2& sequenceADecaler, bool& attenteCoteDecalage,
                       std::function<void()> redessine, QWidget* parent)
    : QDialog(parent), modele_(doc, sequenceADecaler, attenteCoteDecalage) {
    setObjectName("F_Sequence");
    setWindowTitle(QStringLiteral("Séquence de fraisage"));
    setModal(true);
    modele_.Redessine = std::move(redessine);

    Dispose(CreeControles());

    modele_.Charger();
    MontreListes();
    TB_RayonFraise->setText(QString::fromStdString(modele_.TexteRayon()));

    Relie();
}

// Gives the caption of the radius box, which the layout puts beside it.
QLabel* F_Sequence::CreeControles() {
    LB_Sequence = new ListeSequences(this);
    LB_Sequence->setObjectName("LB_Sequence");
    LB_Sequence->setUniformItemSizes(true);
    LB_Ordre = new QListWidget(this);
    LB_Ordre->setObjectName("LB_Ordre");
    LB_Ordre->setUniformItemSizes(true);
    LB_Ordre->setFocusPolicy(Qt::NoFocus);
    LB_Ordre->setSelectionMode(QAbstractItemView::SingleSelection);
    LB_Ordre->setAttribute(Qt::WA_TransparentForMouseEvents);
    LB_Ordre->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    LB_Ordre->setMaximumWidth(70);
    // The numbers stay beside their labels.
    connect(LB_Sequence->verticalScrollBar(), &QScrollBar::valueChanged, LB_Ordre->verticalScrollBar(),
            &QScrollBar::setValue);

    CB_Plus = new QToolButton(this);
    CB_Plus->setObjectName("CB_Plus");
    CB_Plus->setArrowType(Qt::UpArrow);
    CB_Moins = new QToolButton(this);
    CB_Moins->setObjectName("CB_Moins");
    CB_Moins->setArrowType(Qt::DownArrow);
    Btn_Inversion = new QPushButton(QStringLiteral("Inverser le sens"), this);
    Btn_Inversion->setObjectName("Btn_Inversion");
    Btn_Decalage = new QPushButton(QStringLiteral("Décaler"), this);
    Btn_Decalage->setObjectName("Btn_Decalage");
    TB_RayonFraise = new QLineEdit(this);
    TB_RayonFraise->setObjectName("TB_RayonFraise");
    auto* Label_Rayon = new QLabel(QStringLiteral("Rayon de la fraise"), this);
    Label_Rayon->setObjectName("Label_Rayon");
    Label_Rayon->setBuddy(TB_RayonFraise);
    Btn_OK = new QPushButton(QStringLiteral("OK"), this);
    Btn_OK->setObjectName("Btn_OK");
    Btn_OK->setAutoDefault(false);
    return Label_Rayon;
}

void F_Sequence::Dispose(QLabel* Label_Rayon) {
    auto* listes = new QHBoxLayout;
    listes->setSpacing(0);
    listes->addWidget(LB_Ordre);
    listes->addWidget(LB_Sequence, 1);

    auto* droite = new QGridLayout;
    auto* fleches = new QVBoxLayout;
    fleches->addWidget(CB_Plus);
    fleches->addWidget(CB_Moins);
    droite->addLayout(fleches, 0, 0);
    droite->addWidget(Aide(this, "Label_Fleches",
                           "Sélectionnez une séquence, puis cliquez sur une des flèches pour changer sa position"),
                      0, 1);
    droite->addWidget(Btn_Inversion, 1, 0);
    droite->addWidget(Aide(this, "Label_Inversion",
                           "Sélectionnez une séquence, puis cliquez sur le bouton pour inverser le sens de fraisage"),
                      1, 1);
    droite->addWidget(Btn_Decalage, 2, 0);
    droite->addWidget(Aide(this, "Label_Decalage",
                           "Sélectionnez une séquence, puis cliquez sur le bouton pour donner le côté du décalage"),
                      2, 1);
    auto* rayon = new QHBoxLayout;
    rayon->addWidget(Label_Rayon);
    rayon->addWidget(TB_RayonFraise);
    droite->addLayout(rayon, 3, 0, 1, 2);
    droite->setRowStretch(4, 1);
    droite->addWidget(Btn_OK, 5, 1, Qt::AlignRight);
    droite->setColumnStretch(1, 1);

    auto* tout = new QHBoxLayout(this);
    tout->addLayout(listes, 1);
    tout->addLayout(droite, 2);
    resize(560, 360);
}

void F_Sequence::Relie() {
    connect(LB_Sequence, &QListWidget::currentRowChanged, this, [this](int r) {
        if (r == modele_.Selection() || r < 0) return;
        modele_.Selectionne(r);
        MontreSelection();
    });
    connect(LB_Sequence, &ListeSequences::Deplacement, this, [this](int de, int vers) {
        if (modele_.Deplace(de, vers)) MontreListes();
    });
    connect(CB_Plus, &QToolButton::clicked, this, [this] {
        if (modele_.Plus()) MontreListes();
    });
    connect(CB_Moins, &QToolButton::clicked, this, [this] {
        if (modele_.Moins()) MontreListes();
    });
    connect(Btn_Inversion, &QPushButton::clicked, this, [this] { modele_.Inverser(); });
    connect(Btn_Decalage, &QPushButton::clicked, this, [this] {
        modele_.Decaler();
        accept();
    });
    connect(TB_RayonFraise, &QLineEdit::textEdited, this,
            [this](const QString& t) { modele_.ChangeRayon(t.toStdString()); });
    connect(Btn_OK, &QPushButton::clicked, this, &QDialog::accept);
}

void F_Sequence::MontreListes() {
    const std::vector<Code2>& e = modele_.Etiquettes();
    const int n = static_cast<int>(e.size());
    const QSignalBlocker b1(LB_Sequence), b2(LB_Ordre);
    if (LB_Sequence->count() != n) {
        LB_Sequence->clear();
        LB_Ordre->clear();
        QStringList textes, numeros;
        textes.reserve(n);
        numeros.reserve(n);
        for (int k = 0; k < n; ++k) {
            textes << Texte(e[std::size_t(k)]);
            numeros << QString::number(k + 1);
        }
        LB_Sequence->addItems(textes);
        LB_Ordre->addItems(numeros);
    } else {
        for (int k = 0; k < n; ++k) {
            const QString t = Texte(e[std::size_t(k)]);
            QListWidgetItem* i = LB_Sequence->item(k);
            if (i->text() != t) i->setText(t);
        }
    }
    MontreSelection();
}

void F_Sequence::MontreSelection() {
    const int r = modele_.Selection();
    const QSignalBlocker b1(LB_Sequence), b2(LB_Ordre);
    LB_Sequence->setCurrentRow(r);
    LB_Ordre->setCurrentRow(r);
    if (QListWidgetItem* i = LB_Sequence->item(r)) LB_Sequence->scrollToItem(i);
    LB_Ordre->verticalScrollBar()->setValue(LB_Sequence->verticalScrollBar()->value());
}

void F_Sequence::done(int r) {
    if (!ferme_) {
        ferme_ = true;
        modele_.Fermer();
    }
    QDialog::done(r);
}

}  // namespace korvelin
