#include "mainwindow.h"

#include "gauss.h"
#include "longwork.h"
#include "pictureio.h"
#include "grayworld.h"
#include "median.h"
#include "resample.h"
#include "rotate.h"
#include "sharpen.h"
#include "stretch.h"
#include "waves.h"
#include "zoom.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPixmap>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QScrollArea>
#include <QSpinBox>
#include <QStatusBar>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QUndoStack>
#include <QUrl>
#include <QVBoxLayout>
#include <QVector>

#include <algorithm>
#include <cmath>
#include <new>
#include <limits>

#include <sys/stat.h>

namespace {

// Status-bar messages of the commands stay this long; "Ready" stays until replaced.
constexpr int statusTimeout = 2000;

// Images wider than this are resampled on opening so that they fit the screen.
constexpr int widestOpenedImage = 768;

// The image reader refuses to decode more than this many megabytes (a 48-megapixel
// photo at 32 bits needs about 200).
constexpr int readerAllocationLimitMiB = 1024;

// The image label asks the window for room for the whole image, but never for
// more than this many pixels either way: a window much larger cannot be shown
// (X11 ends at 32767), and its backing store alone would take gigabytes for an
// image that a few hundred bytes of file can claim.
constexpr int largestLabelSide = 16384;

// Runs a parentless modal box with the toolkit's single OK button.
void showBox(const QString &text, const QString &title = QString(),
             const QString &informativeText = QString())
{
    QMessageBox box;
    if (!title.isEmpty())
        box.setWindowTitle(title);
    box.setText(text);
    if (!informativeText.isEmpty())
        box.setInformativeText(informativeText);
    box.exec();
}

// The local picture file that a drag carries first, or nothing when it carries
// none (text, a remote address, a file that is no picture).
QString droppedPictureFile(const QMimeData *data)
{
    if (!data || !data->hasUrls() || data->urls().isEmpty())
        return QString();
    const QUrl first = data->urls().first();
    if (!first.isLocalFile())
        return QString();
    const QString fileName = first.toLocalFile();
    if (!QFileInfo(fileName).isFile() || QImageReader::imageFormat(fileName).isEmpty())
        return QString();
    return fileName;
}

// Formats whose files Save can write again.
bool hasWriterFor(const QString &fileName)
{
    const QByteArray suffix = QFileInfo(fileName).suffix().toLower().toLatin1();
    return !suffix.isEmpty() && QImageWriter::supportedImageFormats().contains(suffix);
}

// A box with the range and step of an effect's parameter; its starting value is
// set where the box is built, after its connections.
QDoubleSpinBox *newDoubleSpinBox(const effects::Parameter<double> &parameter, const QString &suffix = QString())
{
    QDoubleSpinBox *box = new QDoubleSpinBox;
    box->setRange(parameter.minimum, parameter.maximum);
    box->setSingleStep(parameter.step);
    box->setSuffix(suffix);
    return box;
}

// Makes follower show every value that leader takes. A follower that already
// shows the value is left alone: the box the user is typing into gets its own
// value back through the other box, and setting it again would rewrite its text
// under the cursor (typing 250.5 would end as 250).
void mirrorZoomBox(QDoubleSpinBox *leader, QDoubleSpinBox *follower)
{
    QObject::connect(leader, &QDoubleSpinBox::valueChanged, follower, [follower](double value) {
        if (follower->value() != value)
            follower->setValue(value);
    });
}

// Adds the items of one parameter row: the push button takes the spare width.
void fillRow(QBoxLayout *row, std::initializer_list<QWidget *> items)
{
    for (QWidget *item : items)
        row->addWidget(item, qobject_cast<QPushButton *>(item) ? 8 : 0);
}

} // namespace

MainWindow::MainWindow()
    : QMainWindow(nullptr)
{
    QImageReader::setAllocationLimit(readerAllocationLimitMiB);

    isModified = false;
    isOpened = false;
    r = "You are so Inaccuratly...";

    window = new QWidget;
    tabWidget = new QTabWidget;
    labelIm = new QLabel;
    harshness = new QWidget;
    gaussfiltration = new QWidget;
    medianfiltration = new QWidget;
    zooming = new QWidget;
    rotation = new QWidget;
    wave = new QWidget;

    // Median
    lm = new QHBoxLayout;
    spinBoxM = new QSpinBox;
    butM = new QPushButton("&Apply");
    spinBoxM->setRange(effects::medianSize.minimum, effects::medianSize.maximum);
    spinBoxM->setSingleStep(effects::medianSize.step);
    spinBoxM->setValue(effects::medianSize.start);
    inputmed(effects::medianSize.start);
    fillRow(lm, {spinBoxM, new QLabel("[3; 5; 7; 9]"), butM});
    medianfiltration->setLayout(lm);

    // Gauss
    lf1 = new QHBoxLayout;
    spinBoxF1 = newDoubleSpinBox(effects::gaussSigma);
    butF1 = new QPushButton("&Apply");
    spinBoxF1->setValue(effects::gaussSigma.start);
    inputgau(effects::gaussSigma.start);
    fillRow(lf1, {spinBoxF1, new QLabel("[0.01,5.0]"), butF1});
    gaussfiltration->setLayout(lf1);

    // Rotation: steps of 1
    lg1 = new QHBoxLayout;
    spinBoxG1 = newDoubleSpinBox(effects::rotationDegrees, "'");
    butG1 = new QPushButton("&Apply");
    spinBoxG1->setValue(effects::rotationDegrees.start);
    inputrot(effects::rotationDegrees.start);
    fillRow(lg1, {spinBoxG1, new QLabel("[-180',180']"), butG1});
    rotation->setLayout(lg1);

    // Zooming: row "Another" above row "Correct"; the two boxes mirror each other
    lg0 = new QVBoxLayout;
    lg2 = new QHBoxLayout;
    spinBoxG2 = newDoubleSpinBox(effects::zoomPercent, "%");
    butG2 = new QPushButton("&Apply");
    inputzoo(effects::zoomPercent.start);
    fillRow(lg2, {new QLabel("Correct"), spinBoxG2, new QLabel("[1,10000]"), butG2});
    lg = new QHBoxLayout;
    spinBoxG = newDoubleSpinBox(effects::zoomPercent, "%");
    butG = new QPushButton("&Apply");
    mirrorZoomBox(spinBoxG2, spinBoxG);
    mirrorZoomBox(spinBoxG, spinBoxG2);
    spinBoxG2->setValue(effects::zoomPercent.start);
    fillRow(lg, {new QLabel("Another"), spinBoxG, new QLabel("[1,10000]"), butG});
    lg0->addLayout(lg);
    lg0->addLayout(lg2);
    zooming->setLayout(lg0);

    // Harshness
    lh = new QHBoxLayout;
    spinBoxH = newDoubleSpinBox(effects::sharpenStrength);
    butH = new QPushButton("&Apply");
    spinBoxH->setValue(effects::sharpenStrength.start);
    inputsha(effects::sharpenStrength.start);
    fillRow(lh, {spinBoxH, new QLabel("[0,3]"), butH});
    harshness->setLayout(lh);

    // Waves: the boxes allow up to 100 although their labels say 10
    lw0 = new QVBoxLayout;
    lw1 = new QHBoxLayout;
    lw2 = new QHBoxLayout;
    spinBoxW1 = newDoubleSpinBox(effects::waveLength);
    spinBoxW2 = newDoubleSpinBox(effects::waveAmplitude);
    butW = new QPushButton("&Apply");
    spinBoxW1->setValue(effects::waveLength.start);
    inputwadl(effects::waveLength.start);
    spinBoxW2->setValue(effects::waveAmplitude.start);
    inputwaam(effects::waveAmplitude.start);
    fillRow(lw1, {new QLabel("Wawe length"), spinBoxW1, new QLabel("[0,10]")});
    fillRow(lw2, {new QLabel("Amplituda"), spinBoxW2, new QLabel("[0,10]")});
    lw0->addLayout(lw1);
    lw0->addLayout(lw2);
    lw0->addWidget(butW, 8);
    wave->setLayout(lw0);

    tabWidget->addTab(harshness, "Harshness");
    tabWidget->addTab(medianfiltration, "Median Filtration");
    tabWidget->addTab(gaussfiltration, "Gauss Filtration");
    tabWidget->addTab(rotation, "Rotation");
    tabWidget->addTab(zooming, "Zooming");
    tabWidget->addTab(wave, "Transversal-longitudinal Waves");

    // The picture sits in a scroll area: the window grows to show it whole where
    // the screen has room and scrolls it where it has not, so the tabs, their
    // Apply buttons and the status bar stay on the screen.
    imageArea = new QScrollArea;
    imageArea->setFrameShape(QFrame::NoFrame);
    imageArea->setWidgetResizable(true);
    imageArea->setWidget(labelIm);

    mainLayout = new QVBoxLayout;
    mainLayout->setSizeConstraint(QLayout::SetMinimumSize);
    mainLayout->addWidget(imageArea, 1);
    mainLayout->addWidget(tabWidget);
    window->setLayout(mainLayout);
    setCentralWidget(window);

    undoStack = new QUndoStack(this);
    connect(undoStack, &QUndoStack::cleanChanged, this, &MainWindow::historyCleanChanged);

    createActions();
    createMenus();
    createStatusBar();

    setUnifiedTitleAndToolBarOnMac(true);
    setAcceptDrops(true);

    // Wide enough at start for every tab title.
    leastWindowSize = windowSizeShowingWholeImage().boundedTo(screenRoomForWindow());
    fittedWindowSize = leastWindowSize;
    resize(fittedWindowSize);
}

MainWindow::~MainWindow()
{
    // The history goes first: its steps hold pictures and call back into the window.
    disconnect(undoStack, nullptr, this, nullptr);
    delete undoStack;

    delete openImAct;
    delete saveImAct;
    delete saveImAsAct;
    delete exitAct;
    delete zoomAct;
    delete zoom2Act;
    delete rotationAct;
    delete gaussAct;
    delete linearAct;
    delete channelAct;
    delete harshnessAct;
    delete wavesAct;
    delete medianAct;
    delete grayworldAct;

    delete spinBoxM;
    delete butM;
    delete lm;
    delete spinBoxF1;
    delete butF1;
    delete lf1;
    delete spinBoxG1;
    delete butG1;
    delete lg1;
    delete spinBoxG2;
    delete butG2;
    delete spinBoxG;
    delete butG;
    delete lg;
    delete lg2;
    delete lg0;
    delete spinBoxH;
    delete butH;
    delete lh;
    delete spinBoxW1;
    delete spinBoxW2;
    delete butW;
    delete lw2;
    delete lw1;
    delete lw0;

    delete harshness;
    delete gaussfiltration;
    delete medianfiltration;
    delete zooming;
    delete rotation;
    delete wave;
    delete labelIm;
    delete imageArea;
    delete tabWidget;
    delete window;

    delete image;
    delete curImage;
}

void MainWindow::createActions()
{
    openImAct = new QAction(tr("&Open..."), this);
    openImAct->setShortcuts(QKeySequence::Open);
    openImAct->setStatusTip(tr("Open an existing IMAGE"));
    connect(openImAct, &QAction::triggered, this, &MainWindow::openIm);

    saveImAct = new QAction(tr("&Save"), this);
    saveImAct->setShortcuts(QKeySequence::Save);
    saveImAct->setStatusTip(tr("Save the Image to disk"));
    connect(saveImAct, &QAction::triggered, this, &MainWindow::saveIm);

    saveImAsAct = new QAction(tr("Save &As..."), this);
    saveImAsAct->setShortcuts(QKeySequence::SaveAs);
    saveImAsAct->setStatusTip(tr("Save the Image under to disk a new name"));
    connect(saveImAsAct, &QAction::triggered, this, &MainWindow::saveImAs);

    exitAct = new QAction(tr("E&xit"), this);
    exitAct->setShortcuts(QKeySequence::Quit);
    exitAct->setStatusTip(tr("Exit Glimmerix"));
    connect(exitAct, &QAction::triggered, this, &MainWindow::exit);

    zoomAct = new QAction(this);
    zoomAct->setStatusTip(tr("Zoom"));
    connect(spinBoxG2, &QDoubleSpinBox::valueChanged, this, &MainWindow::inputzoo);
    connect(butG2, &QPushButton::pressed, this, &MainWindow::zoom);

    zoom2Act = new QAction(this);
    zoom2Act->setStatusTip(tr("Zoom2"));
    connect(spinBoxG, &QDoubleSpinBox::valueChanged, this, &MainWindow::inputzoo);
    connect(butG, &QPushButton::pressed, this, &MainWindow::zoom2);

    rotationAct = new QAction(this);
    rotationAct->setStatusTip(tr("Rotation"));
    connect(spinBoxG1, &QDoubleSpinBox::valueChanged, this, &MainWindow::inputrot);
    connect(butG1, &QPushButton::pressed, this, &MainWindow::rotate);

    gaussAct = new QAction(this);
    gaussAct->setStatusTip(tr("Gauss"));
    connect(spinBoxF1, &QDoubleSpinBox::valueChanged, this, &MainWindow::inputgau);
    connect(butF1, &QPushButton::pressed, this, &MainWindow::gauss);

    linearAct = new QAction(tr("&Linear"), this);
    linearAct->setStatusTip(tr("Linear Extension"));
    connect(linearAct, &QAction::triggered, this, &MainWindow::linear);

    channelAct = new QAction(tr("&Channel"), this);
    channelAct->setStatusTip(tr("Channel Extension"));
    connect(channelAct, &QAction::triggered, this, &MainWindow::inchannel);

    harshnessAct = new QAction(this);
    harshnessAct->setStatusTip(tr("Harshness"));
    connect(spinBoxH, &QDoubleSpinBox::valueChanged, this, &MainWindow::inputsha);
    connect(butH, &QPushButton::pressed, this, &MainWindow::harshnes);

    wavesAct = new QAction(this);
    wavesAct->setStatusTip(tr("Waves"));
    connect(spinBoxW1, &QDoubleSpinBox::valueChanged, this, &MainWindow::inputwadl);
    connect(spinBoxW2, &QDoubleSpinBox::valueChanged, this, &MainWindow::inputwaam);
    connect(butW, &QPushButton::pressed, this, &MainWindow::waves);

    medianAct = new QAction(this);
    medianAct->setStatusTip(tr("Median"));
    connect(spinBoxM, &QSpinBox::valueChanged, this, &MainWindow::inputmed);
    connect(butM, &QPushButton::pressed, this, &MainWindow::median);

    undoAct = undoStack->createUndoAction(this, tr("&Undo"));
    undoAct->setShortcuts(QKeySequence::Undo);
    undoAct->setStatusTip(tr("Take back the last effect"));

    redoAct = undoStack->createRedoAction(this, tr("&Redo"));
    redoAct->setShortcuts(QKeySequence::Redo);
    redoAct->setStatusTip(tr("Do the effect taken back again"));

    grayworldAct = new QAction(tr("&Gray World"), this);
    grayworldAct->setStatusTip(tr("Gray World"));
    connect(grayworldAct, &QAction::triggered, this, &MainWindow::grayworld);
}

void MainWindow::createMenus()
{
    fileMenu = menuBar()->addMenu(tr("&File"));
    fileMenu->addAction(openImAct);
    fileMenu->addAction(saveImAct);
    fileMenu->addAction(saveImAsAct);
    fileMenu->addSeparator();
    fileMenu->addAction(exitAct);

    editMenu = menuBar()->addMenu(tr("&Edit"));
    editMenu->addAction(undoAct);
    editMenu->addAction(redoAct);

    effectsMenu = menuBar()->addMenu(tr("&Effects"));
    effectsMenu->addAction(linearAct);
    effectsMenu->addAction(channelAct);
    effectsMenu->addAction(grayworldAct);

    menuBar()->addSeparator();
}

void MainWindow::createStatusBar()
{
    statusBar()->showMessage(tr("Ready"));
}

// ---------------------------------------------------------------------------
// Document and file commands

void MainWindow::openIm()
{
    if (LongWork::running() || (isModified && !maybeSave()))
        return;

    // A file that does not load is told and another may be chosen; the open
    // document is replaced only once a file has loaded, so a bad file, a Cancel
    // or a cancelled retry keeps it as it was.
    QString fileName = QFileDialog::getOpenFileName(this);
    while (!fileName.isEmpty() && openNamedFile(fileName) == pictureio::Outcome::Failed)
        fileName = QFileDialog::getOpenFileName(this);
}

void MainWindow::openFromOutside(const QString &fileName)
{
    openNamedFile(QFileInfo(fileName).absoluteFilePath());
}

// Opens a file whose name is known already: no file dialog. A file that does not
// load is told; then, as after a Cancel, the document stays as it was.
pictureio::Outcome MainWindow::openNamedFile(const QString &fileName)
{
    if (LongWork::running())
        return pictureio::Outcome::Stopped;
    LongWork work(this, tr("Opening %1...").arg(QFileInfo(fileName).fileName()));
    LoadedPicture loaded;
    QString whyNot;
    pictureio::Outcome outcome = loadPicture(work, fileName, loaded, &whyNot);
    if (outcome == pictureio::Outcome::Done && !adoptPicture(work, fileName, loaded))
        outcome = pictureio::Outcome::Stopped;
    if (outcome == pictureio::Outcome::Failed) {
        statusBar()->showMessage(tr("Image wasn't Opened!"), statusTimeout);
        showBox("Damn! File is incorrect!", QString(), whyNot);
    } else if (outcome == pictureio::Outcome::Stopped) {
        statusBar()->showMessage(tr("Opening was cancelled"), statusTimeout);
    }
    return outcome;
}

void MainWindow::dragEnterEvent(QDragEnterEvent *event)
{
    if (LongWork::running() || droppedPictureFile(event->mimeData()).isEmpty())
        event->ignore();
    else
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent *event)
{
    const QString fileName = droppedPictureFile(event->mimeData());
    if (LongWork::running() || fileName.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    // Opened once the drop has ended: the question and the boxes are modal, and
    // the program the file came from waits until its drop is done.
    QMetaObject::invokeMethod(this, [this, fileName] {
        if (LongWork::running() || (isModified && !maybeSave()))
            return;
        openNamedFile(fileName);
    }, Qt::QueuedConnection);
}

// Reads a picture file, upright, and its metadata, off the GUI thread (see
// pictureio::readPicture). On failure *error says why.
pictureio::Outcome MainWindow::loadPicture(LongWork &work, const QString &fileName,
                                           LoadedPicture &loaded, QString *error)
{
    const QFileInfo info(fileName);
    if (!info.exists()) {
        *error = QString("%1 does not exist.").arg(QDir::toNativeSeparators(fileName));
        return pictureio::Outcome::Failed;
    }
    // Only a regular file: a named pipe or a device may never end, and reading it would hang.
    if (!info.isFile()) {
        *error = QString("%1 is not a regular file.").arg(QDir::toNativeSeparators(fileName));
        return pictureio::Outcome::Failed;
    }
    QImage picture;
    pictureio::Outcome outcome = pictureio::Outcome::Failed;
    bool outOfMemory = false;
    const bool ran = work.run([&] {
        try {
            outcome = pictureio::readPicture(fileName, picture, error);
            if (outcome == pictureio::Outcome::Done)
                loaded.metadata = PhotoMetadata::read(fileName);
        } catch (const std::bad_alloc &) {
            // Some readers allocate whatever length the file claims; where that
            // fails, the file is as unreadable as any other bad file.
            outOfMemory = true;
        }
    });
    if (!ran)
        return pictureio::Outcome::Stopped;
    if (outcome != pictureio::Outcome::Done && !outOfMemory)
        return outcome;
    if (!outOfMemory) {
        loaded.colorSpace = picture.colorSpace();
        try {
            loaded.pixmap = QPixmap::fromImage(std::move(picture));
        } catch (const std::bad_alloc &) {
            loaded.pixmap = QPixmap();
        }
    }
    if (loaded.pixmap.isNull()) {
        *error = "There is not enough memory to hold the picture.";
        return pictureio::Outcome::Failed;
    }
    return pictureio::Outcome::Done;
}

// Makes a loaded picture the document: the old one is released, the new one is
// shown. A picture too wide for editing is reduced first, so that a Cancel during
// the reduction keeps the old document; then false.
bool MainWindow::adoptPicture(LongWork &work, const QString &fileName, const LoadedPicture &loaded)
{
    QImage working = loaded.pixmap.toImage();
    if (working.colorSpace() != loaded.colorSpace)
        working.setColorSpace(loaded.colorSpace);
    bool reduced = false;
    bool reductionRefused = false;
    if (loaded.pixmap.width() > widestOpenedImage) {
        inputzoo(76800.0 / loaded.pixmap.width());
        const int koef = effects::wholePercent(zoo);
        QImage smaller;
        work.beginStage(tr("Reducing %1...").arg(QFileInfo(fileName).fileName()));
        if (effects::resampleAllowed(working.size(), koef)
            && !work.run([&] { smaller = effects::resample(working, koef); }))
            return false;
        reductionRefused = smaller.isNull();
        if (!reductionRefused) {
            if (smaller.colorSpace() != loaded.colorSpace)
                smaller.setColorSpace(loaded.colorSpace);
            reduced = smaller.size() != working.size();
            working = smaller;
        }
    }

    if (isOpened) {
        delete image;
        delete curImage;
        labelIm->clear();
    }
    image = new QPixmap(loaded.pixmap);
    isOpened = true;
    labelIm->setPixmap(*image);
    curFile = fileName;
    savedFile = identityOf(fileName);
    documentColorSpace = loaded.colorSpace;
    documentMetadata = loaded.metadata;
    curImage = new QImage(working);
    if (!reductionRefused && loaded.pixmap.width() > widestOpenedImage)
        showWorkingImage();
    isReducedCopy = reduced;
    // The window is fitted once, to the picture as it ends up.
    const QSize labelBefore = labelIm->minimumSize();
    sizeLabelToImage();
    if (labelIm->minimumSize() != labelBefore)
        fitWindowToImage();
    if (reductionRefused) {
        showBox("Damn! Image is too big or too small to Zoom!");
        statusBar()->showMessage(tr("Image wasn't Zoomed"), statusTimeout);
    }

    // A new history: the reduction belongs to the opening, and leaves no state
    // of the new history saved.
    const bool reducedOnOpening = !reductionRefused && loaded.pixmap.width() > widestOpenedImage;
    undoStack->clear();
    if (reducedOnOpening)
        undoStack->resetClean();
    isModified = reducedOnOpening;

    koefp = 100.0;
    koefg = 0.0;
    spinBoxG2->setValue(100.0);
    spinBoxG1->setValue(0.0);

    repaint();
    statusBar()->showMessage(tr("Image was Opened"), statusTimeout);
    return true;
}

MainWindow::FileIdentity MainWindow::identityOf(const QString &fileName)
{
    FileIdentity identity;
    struct stat status;
    if (::stat(QFile::encodeName(fileName).constData(), &status) == 0) {
        identity.known = true;
        identity.device = quint64(status.st_dev);
        identity.inode = quint64(status.st_ino);
        identity.size = qint64(status.st_size);
        identity.modifiedSeconds = qint64(status.st_mtim.tv_sec);
        identity.modifiedNanoseconds = qint64(status.st_mtim.tv_nsec);
    }
    return identity;
}

// Save writes over curFile only while that is safe and possible. Otherwise it
// asks for a name as Save As does, proposing the one returned here:
// - the document is the opened file reduced: writing it back would replace the
//   photo by a smaller copy, so a name of its own is proposed (photo-720x480.jpg);
// - the file's format has no writer (GIF): the same name as a PNG;
// - the name no longer stands for the file that was opened or last saved (it was
//   removed, replaced, or swapped for a link to another file): the same name,
//   which the dialog asks about before replacing anything.
// An empty result means that Save may write curFile.
QString MainWindow::saveAsProposalInsteadOfSave() const
{
    const QFileInfo original(curFile);
    const bool writable = hasWriterFor(curFile);
    if (isReducedCopy || !writable) {
        QString name = original.completeBaseName();
        if (isReducedCopy)
            name += QString("-%1x%2").arg(curImage->width()).arg(curImage->height());
        name += "." + (writable ? original.suffix() : QString("png"));
        return original.dir().filePath(name);
    }
    if (!(identityOf(curFile) == savedFile))
        return curFile;
    return QString();
}

bool MainWindow::saveIm()
{
    if (LongWork::running())
        return false;
    if (!isOpened) {
        showBox("Damn! You forgot to open Image!!!");
        statusBar()->showMessage(tr("Image wasn't Saved"), statusTimeout);
        return false;
    }
    if (curFile.isEmpty())
        return saveImAs();
    const QString proposal = saveAsProposalInsteadOfSave();
    if (!proposal.isEmpty())
        return saveImAsProposing(proposal);

    QString error;
    QString metadataNote;
    switch (writeImage(curFile, &error, &metadataNote)) {
    case pictureio::Outcome::Done:
        documentSavedAs(curFile);
        showSaved(tr("Image was Saved"), metadataNote);
        return true;
    case pictureio::Outcome::Stopped:
        statusBar()->showMessage(tr("Saving was cancelled"), statusTimeout);
        return false;
    case pictureio::Outcome::Failed:
        break;
    }
    showBox("Damn! Image wasn't Saved!", QString(), error);
    statusBar()->showMessage(tr("Image wasn't Saved"), statusTimeout);
    return false;
}

bool MainWindow::saveImAs()
{
    return saveImAsProposing(QString());
}

// Save As, with the dialog starting at the proposed name (none: the dialog's own
// start). Once written, the chosen file is the document's file.
bool MainWindow::saveImAsProposing(const QString &proposal)
{
    if (LongWork::running())
        return false;
    if (!isOpened) {
        showBox("Damn! You forgot to open Image!!!");
        statusBar()->showMessage(tr("Image wasn't Saved Ass"), statusTimeout);
        return false;
    }
    const QString fileName = QFileDialog::getSaveFileName(this, QString(), proposal);
    if (fileName.isEmpty())
        return false;

    // The dialog asks before it replaces a file, but a link that leads nowhere
    // does not count as a file to it: writing would create the link's target.
    const QFileInfo chosen(fileName);
    QString error;
    QString metadataNote;
    if (chosen.isSymLink() && !chosen.exists()) {
        error = QString("%1 is a link to %2, which does not exist. Choose another name.")
                    .arg(QDir::toNativeSeparators(fileName),
                         QDir::toNativeSeparators(chosen.symLinkTarget()));
    } else {
        switch (writeImage(fileName, &error, &metadataNote)) {
        case pictureio::Outcome::Done:
            documentSavedAs(fileName);
            showSaved(tr("Image was Saved Ass"), metadataNote);
            return true;
        case pictureio::Outcome::Stopped:
            statusBar()->showMessage(tr("Saving was cancelled"), statusTimeout);
            return false;
        case pictureio::Outcome::Failed:
            break;
        }
    }
    showBox("Damn! Image wasn't Saved!", QString(), error);
    statusBar()->showMessage(tr("Image wasn't Saved Ass"), statusTimeout);
    return false;
}

// The success text of a save, and what it left out when the metadata could not be kept.
void MainWindow::showSaved(const QString &saved, const QString &metadataNote)
{
    if (metadataNote.isEmpty())
        statusBar()->showMessage(saved, statusTimeout);
    else
        statusBar()->showMessage(tr("%1 without its metadata: %2").arg(saved, metadataNote),
                                 statusTimeout);
}

// After a save has written fileName: later Saves write that file, which holds the
// document as it is now.
void MainWindow::documentSavedAs(const QString &fileName)
{
    curFile = fileName;
    savedFile = identityOf(fileName);
    isReducedCopy = false;
    undoStack->setClean();
    isModified = false;
}

// Writes the displayed pixmap in the format that the file name's suffix selects,
// at the writer's default quality, with the opened file's colour profile and
// metadata, off the GUI thread. The picture is encoded in memory first; the file
// is written through a temporary file that replaces the target only once it is
// complete, so a failed or cancelled write leaves the old file as it was and no
// temporary file behind. Metadata that cannot be carried over are left out and
// told in *metadataNote; the pixels are saved all the same.
pictureio::Outcome MainWindow::writeImage(const QString &fileName, QString *error, QString *metadataNote)
{
    const QByteArray format = QFileInfo(fileName).suffix().toLower().toLatin1();
    QImage picture = image->toImage();
    keepColorSpace(picture);
    const PhotoMetadata metadata = documentMetadata;

    // Encoding cannot tell how far it has come: the dialog shows that it is busy.
    LongWork work(this, tr("Saving %1...").arg(QFileInfo(fileName).fileName()), false);
    pictureio::Outcome outcome = pictureio::Outcome::Stopped;
    work.run([&] {
        QByteArray encoded;
        outcome = pictureio::encodePicture(picture, format, encoded, error);
        if (outcome != pictureio::Outcome::Done)
            return;
        // On failure embedInto leaves the encoded pixels as they were: they are saved without.
        if (!metadata.readError().isEmpty())
            *metadataNote = metadata.readError();
        else
            metadata.embedInto(encoded, format, picture.size(), metadataNote);
        outcome = pictureio::writeWholeFile(fileName, encoded, error);
    });
    // A Cancel pressed after the file was complete comes too late: it is saved.
    return outcome;
}

void MainWindow::exit()
{
    if (LongWork::running() || (isModified && !maybeSave()))
        return;
    showBox("Thank you for using my Program)) Goodbye!!", "Exit");
    exitConfirmed = true;
    close();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // While long work runs its dialog's Cancel ends it; the window stays till then.
    if (LongWork::running())
        event->ignore();
    else if (exitConfirmed || !isModified || maybeSave())
        event->accept();
    else
        event->ignore();
}

bool MainWindow::maybeSave()
{
    QMessageBox box;
    box.setText("The document has been modified.");
    box.setInformativeText("Do you want to save your changes?");
    box.setStandardButtons(QMessageBox::Save | QMessageBox::SaveAll | QMessageBox::Discard
                           | QMessageBox::Cancel);
    box.setDefaultButton(QMessageBox::Save);
    switch (box.exec()) {
    case QMessageBox::Save:
        return saveIm();
    case QMessageBox::SaveAll:
        return saveImAs();
    case QMessageBox::Discard:
        return true;
    default:
        return false;
    }
}

// ---------------------------------------------------------------------------
// The effect frame

// The frame of one effect command, made once its guard has passed. It runs the
// command's computations off the GUI thread as the parts of one long work (after
// a moment a progress dialog with Cancel), and once the command has changed the
// picture it records one step of the history. A command run by another (the blur
// inside sharpening) is part of that one's frame. A Cancel leaves the document as
// it was before the command: picture, display, totals and modified flag, and no
// step; the status bar says so.
class MainWindow::EffectCommand
{
public:
    EffectCommand(MainWindow &window, const QString &name, int parts = 1)
        : window(window), name(name), parts(parts), outermost(window.runningCommand == nullptr)
    {
        if (!outermost)
            return;
        window.runningCommand = this;
        window.effectChangedPicture = false;
        before = window.documentState();
        wasModified = window.isModified;
        work = std::make_unique<LongWork>(&window, tr("Applying %1...").arg(name));
    }
    ~EffectCommand()
    {
        if (!outermost)
            return;
        window.runningCommand = nullptr;
        if (work->wasCancelled()) {
            if (window.curImage->cacheKey() != before.picture.cacheKey())
                window.restoreDocumentState(before);
            window.koefp = before.koefp;
            window.koefg = before.koefg;
            window.isModified = wasModified;
            window.statusBar()->showMessage(tr("%1 was cancelled").arg(name), statusTimeout);
            return;
        }
        if (!window.effectChangedPicture)
            return;
        MainWindow *target = &window;
        window.undoStack->push(new EffectStep(name, std::move(before), window.documentState(),
                                              [target](const DocumentState &state) {
                                                  target->restoreDocumentState(state);
                                              }));
        limitHistory(*window.undoStack);
    }
    EffectCommand(const EffectCommand &) = delete;
    EffectCommand &operator=(const EffectCommand &) = delete;

    // Whether the command (the outermost one) has been cancelled: then it must
    // end without touching the document.
    bool cancelled() const { return window.runningCommand->work->wasCancelled(); }

    // Runs the next computation of the outermost command; false once it has been
    // cancelled.
    bool compute(const std::function<void()> &computation)
    {
        EffectCommand &frame = *window.runningCommand;
        if (&frame != this)
            return frame.compute(computation);
        const int part = std::min(partsDone++, parts - 1);
        return work->run(computation, double(part) / parts, double(part + 1) / parts);
    }

private:
    MainWindow &window;
    QString name;
    int parts;
    int partsDone = 0;
    bool outermost;
    DocumentState before;
    bool wasModified = false;
    std::unique_ptr<LongWork> work;
};

DocumentState MainWindow::documentState() const
{
    return DocumentState{*curImage, koefp, koefg};
}

// Undo and redo: the picture, its display, the label's and the window's size and
// the zoom and rotation totals as they were. The parameters stay as they are.
void MainWindow::restoreDocumentState(const DocumentState &state)
{
    *curImage = state.picture;
    koefp = state.koefp;
    koefg = state.koefg;
    showWorkingImage();
    fitLabelToImage();
    repaint();
}

// The document counts as modified exactly when the history stands elsewhere
// than at the state last saved.
void MainWindow::historyCleanChanged(bool clean)
{
    isModified = !clean;
}

void MainWindow::markChanged()
{
    isModified = true;
    effectChangedPicture = true;
}

// The guard every effect starts with: while long work runs, refuses at once (the
// window takes one command at a time); with no image open, says so and refuses.
bool MainWindow::refuseWithoutImage()
{
    if (LongWork::running())
        return true;
    if (isOpened)
        return false;
    showBox("Damn! You forgot to open an Image!!!");
    statusBar()->showMessage(r, statusTimeout);
    return true;
}

// Runs a computation of the effect command running now, or, for a slot called on
// its own, as long work of its own; false when it was cancelled.
bool MainWindow::computeForEffect(const std::function<void()> &computation)
{
    if (runningCommand)
        return runningCommand->compute(computation);
    LongWork work(this, tr("Applying effect..."));
    return work.run(computation);
}

// An effect's result becomes the working image, with the document's colour profile.
void MainWindow::commitWorkingImage(QImage &result)
{
    keepColorSpace(result);
    *curImage = result;
}

// Attaches the opened file's colour profile; the pixels stay as they are. Done
// on a result before it is shared, this copies nothing.
void MainWindow::keepColorSpace(QImage &picture) const
{
    if (picture.colorSpace() != documentColorSpace)
        picture.setColorSpace(documentColorSpace);
}

// Rebuilds the display pixmap from the working image and shows it.
void MainWindow::showWorkingImage()
{
    image->convertFromImage(*curImage);
    labelIm->setPixmap(*image);
}

// The label asks for room for the whole picture; the window follows when the
// picture's size has changed.
void MainWindow::fitLabelToImage()
{
    const QSize before = labelIm->minimumSize();
    sizeLabelToImage();
    if (labelIm->minimumSize() != before)
        fitWindowToImage();
}

void MainWindow::sizeLabelToImage()
{
    labelIm->setMinimumSize(std::min(curImage->width(), largestLabelSide),
                            std::min(curImage->height(), largestLabelSide));
}

// ---------------------------------------------------------------------------
// The window's size

// The room the screen has for the window, its frame left out.
QSize MainWindow::screenRoomForWindow() const
{
    const QScreen *where = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!where)
        return QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    const QSize frame = isVisible() ? frameGeometry().size() - geometry().size() : QSize();
    return where->availableGeometry().size() - frame;
}

// The size at which the window shows the whole picture, every tab title and the
// status bar.
QSize MainWindow::windowSizeShowingWholeImage() const
{
    const QMargins margins = mainLayout->contentsMargins();
    const int pictureFrame = 2 * imageArea->frameWidth();
    const QSize picture = labelIm->minimumSize() + QSize(pictureFrame, pictureFrame);
    // The tab widget's own hint leaves titles to its scroll arrows; the whole row
    // needs the tab bar's width and the widget's frame around it.
    const QSize tabs = tabWidget->sizeHint();
    const int tabRow = tabWidget->tabBar()->sizeHint().width() + 2 * tabWidget->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, tabWidget) + 4;
    const int width = std::max({picture.width(), tabs.width(), tabRow}) + margins.left() + margins.right();
    const int height = margins.top() + picture.height() + mainLayout->spacing() + tabs.height()
                       + margins.bottom() + menuBar()->sizeHint().height()
                       + statusBar()->sizeHint().height();
    return QSize(width, height).expandedTo(minimumSizeHint());
}

// Grows the window to show the whole picture where the screen has room, and
// shrinks it again for a smaller picture, never below the size at start or the
// one the user gave it by hand. A window moved off the screen by its growth is
// moved back onto it.
void MainWindow::fitWindowToImage()
{
    const QSize room = screenRoomForWindow();
    const QSize wanted = windowSizeShowingWholeImage().expandedTo(leastWindowSize).boundedTo(room);
    if (wanted == size())
        return;
    fittedWindowSize = wanted;
    resize(wanted);
    if (!isVisible())
        return;
    const QScreen *where = screen();
    if (!where)
        return;
    const QRect available = where->availableGeometry();
    QRect frame = frameGeometry();
    frame.setSize(frame.size() - size() + wanted);
    if (available.contains(frame))
        return;
    frame.moveRight(std::min(frame.right(), available.right()));
    frame.moveBottom(std::min(frame.bottom(), available.bottom()));
    frame.moveLeft(std::max(frame.left(), available.left()));
    frame.moveTop(std::max(frame.top(), available.top()));
    move(frame.topLeft());
}

void MainWindow::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    if (isVisible() && event->size() != fittedWindowSize)
        leastWindowSize = event->size();
}

// The tail of every effect: the result becomes the working image (already done
// for the effects that run through wash or extension), the document is modified,
// the display and the label follow, and the status bar tells.
void MainWindow::commitEffect(QImage &result, const QString &status)
{
    commitWorkingImage(result);
    showEffectResult(status);
}

void MainWindow::showEffectResult(const QString &status)
{
    markChanged();
    showWorkingImage();
    fitLabelToImage();
    statusBar()->showMessage(status, statusTimeout);
    repaint();
}

// ---------------------------------------------------------------------------
// Effects: each computes off the GUI thread from the working image as it stands
// and the parameters as they were when the command began.

void MainWindow::zoom()
{
    if (refuseWithoutImage())
        return;
    EffectCommand command(*this, tr("Zoom"));
    const double koef = zoo;
    const double applied = koefp;
    QImage Temp;
    if (!command.compute([&] { Temp = effects::zoomAboutCentre(*curImage, koef, applied); }))
        return;
    koefp = koef;
    commitEffect(Temp, tr("Image was Zoomed"));
}

void MainWindow::zoom2()
{
    if (refuseWithoutImage())
        return;
    EffectCommand command(*this, tr("Resample"));
    const int koef = effects::wholePercent(zoo);
    QImage Temp;
    if (effects::resampleAllowed(curImage->size(), koef)
        && !command.compute([&] { Temp = effects::resample(*curImage, koef); }))
        return;
    if (Temp.isNull()) {
        showBox("Damn! Image is too big or too small to Zoom!");
        statusBar()->showMessage(tr("Image wasn't Zoomed"), statusTimeout);
        return;
    }
    koefp = koef;
    commitEffect(Temp, tr("Zoomed2"));
}

void MainWindow::rotate()
{
    if (refuseWithoutImage())
        return;
    EffectCommand command(*this, tr("Rotation"));
    const double koef = rot;
    const double applied = koefg;
    QImage Temp;
    if (!command.compute([&] { Temp = effects::rotateAboutCentre(*curImage, koef, applied); }))
        return;
    koefg = koef;
    commitEffect(Temp, tr("Image was Rotated"));
}

// The blur in two passes, along the rows and then along the columns, each
// through wash into the working image.
void MainWindow::gauss()
{
    if (refuseWithoutImage())
        return;
    EffectCommand command(*this, tr("Gauss"), 2);
    const double sigma = gau;
    const int N = effects::gaussHalfWidth(sigma);
    QVector<double> wind = effects::gaussWindow(sigma);
    QImage Temp(curImage->size(), QImage::Format_RGB32);
    const int width = curImage->width();
    const int height = curImage->height();
    wash(&Temp, height, width, N, wind.data(), true);
    if (!command.cancelled())
        wash(&Temp, width, height, N, wind.data(), false);
    if (!command.cancelled())
        showEffectResult(tr("Image was Gaussed"));
}

// One pass of the Gaussian blur: convolves the working image into Temp along its
// rows (a) or columns, then makes Temp the working image. Cancelled, it changes
// nothing.
void MainWindow::wash(QImage *Temp, int koef1, int koef2, int N, double *wind, bool a)
{
    if (!curImage || !Temp || !wind)
        return;
    if (Temp->size() != curImage->size() || Temp->format() != QImage::Format_RGB32)
        *Temp = QImage(curImage->size(), QImage::Format_RGB32);
    if (!computeForEffect([&] { effects::wash(*curImage, *Temp, koef1, koef2, N, wind, a); }))
        return;
    commitWorkingImage(*Temp);
}

void MainWindow::median()
{
    if (refuseWithoutImage())
        return;
    EffectCommand command(*this, tr("Median"));
    const int size = med;
    QImage Temp;
    if (command.compute([&] { Temp = effects::median(*curImage, size); }))
        commitEffect(Temp, tr("Image was Medianed"));
}

void MainWindow::grayworld()
{
    if (refuseWithoutImage())
        return;
    EffectCommand command(*this, tr("Gray World"));
    QImage Temp;
    if (command.compute([&] { Temp = effects::grayWorld(*curImage); }))
        commitEffect(Temp, tr("Image was Gray Worlded"));
}

// The difference from the picture blurred by the whole Gauss command at 0.7.
void MainWindow::harshnes()
{
    if (refuseWithoutImage())
        return;
    EffectCommand command(*this, tr("Harshness"), 3);
    const double koef = sha;
    const QImage unsharpened = *curImage;
    inputgau(0.7);
    gauss();
    QImage Temp;
    if (!command.cancelled() && command.compute([&] { Temp = effects::sharpen(unsharpened, *curImage, koef); }))
        commitEffect(Temp, tr("Image was Sharped"));
}

void MainWindow::waves()
{
    if (refuseWithoutImage())
        return;
    EffectCommand command(*this, tr("Waves"));
    if (wadl == 0.0 || std::isnan(wadl)) {
        showBox("Damn! Wawe length can't be 0!");
        statusBar()->showMessage(tr("Image wasn't Waved"), statusTimeout);
        return;
    }
    const double length = wadl;
    const double amplitude = waam;
    QImage Temp;
    if (command.compute([&] { Temp = effects::waves(*curImage, length, amplitude); }))
        commitEffect(Temp, tr("Image was Waved"));
}

void MainWindow::linear()
{
    if (refuseWithoutImage())
        return;
    EffectCommand command(*this, tr("Linear"));
    QImage Temp(curImage->size(), QImage::Format_RGB32);
    extension(&Temp, effects::StretchBrightness);
    if (!command.cancelled())
        showEffectResult(tr("Image was Lineal Extensioned"));
}

// The stretch of blue, green and red in turn.
void MainWindow::inchannel()
{
    if (refuseWithoutImage())
        return;
    EffectCommand command(*this, tr("Channel"), 3);
    QImage Temp(curImage->size(), QImage::Format_RGB32);
    for (int i = effects::StretchBlue; i <= effects::StretchRed && !command.cancelled(); ++i)
        extension(&Temp, i);
    if (!command.cancelled())
        showEffectResult(tr("Image was Channel Extensioned"));
}

// One contrast stretch of the working image into Temp (see effects::extension),
// which then becomes the working image. Cancelled, it changes nothing.
void MainWindow::extension(QImage *Temp, int channels)
{
    if (!curImage || !Temp)
        return;
    if (Temp->size() != curImage->size() || Temp->format() != QImage::Format_RGB32)
        *Temp = QImage(curImage->size(), QImage::Format_RGB32);
    if (!computeForEffect([&] { effects::extension(*curImage, *Temp, channels); }))
        return;
    commitWorkingImage(*Temp);
}

// ---------------------------------------------------------------------------
// Parameters: each stores its value and nothing else

void MainWindow::inputmed(int value)
{
    med = value;
}

void MainWindow::inputgau(double value)
{
    gau = value;
}

void MainWindow::inputsha(double value)
{
    sha = value;
}

void MainWindow::inputzoo(double value)
{
    zoo = value;
}

void MainWindow::inputrot(double value)
{
    rot = value;
}

void MainWindow::inputwaam(double value)
{
    waam = value;
}

void MainWindow::inputwadl(double value)
{
    wadl = value;
}
