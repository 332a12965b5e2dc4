#include "mainwindow.h"

#include "gauss.h"
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
#include <QPixmap>
#include <QPushButton>
#include <QSaveFile>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QVector>

#include <algorithm>
#include <cmath>
#include <new>
#include <limits>

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

// Shows the wait cursor while it lives: around work long enough to notice,
// never around a dialog.
class WaitCursor
{
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;
};

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

// The whole percentage a zoom value stands for: truncated toward zero, limited to
// the int range, 0 for a value that is not a number.
int wholePercent(double percent)
{
    if (std::isnan(percent))
        return 0;
    if (percent >= 2147483647.0)
        return std::numeric_limits<int>::max();
    if (percent <= -2147483648.0)
        return std::numeric_limits<int>::min();
    return int(percent);
}

// Runs an effect's computation under the wait cursor and returns its result.
template<typename Computation>
QImage computeWaiting(Computation computation)
{
    WaitCursor wait;
    return computation();
}

bool loadPixmap(QPixmap &pixmap, const QString &fileName)
{
    WaitCursor wait;
    // Only a regular file: a named pipe or a device may never end, and reading it would hang.
    if (!QFileInfo(fileName).isFile())
        return false;
    try {
        return pixmap.load(fileName);
    } catch (const std::bad_alloc &) {
        // Some readers allocate whatever length the file claims; where that
        // fails, the file is as unreadable as any other bad file.
        pixmap = QPixmap();
        return false;
    }
}

QDoubleSpinBox *newDoubleSpinBox(double minimum, double maximum, const QString &suffix = QString())
{
    QDoubleSpinBox *box = new QDoubleSpinBox;
    box->setRange(minimum, maximum);
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
    spinBoxM->setRange(3, 9);
    spinBoxM->setSingleStep(2);
    spinBoxM->setValue(3);
    inputmed(3);
    fillRow(lm, {spinBoxM, new QLabel("[3; 5; 7; 9]"), butM});
    medianfiltration->setLayout(lm);

    // Gauss
    lf1 = new QHBoxLayout;
    spinBoxF1 = newDoubleSpinBox(0.01, 5.0);
    spinBoxF1->setSingleStep(0.01);
    butF1 = new QPushButton("&Apply");
    spinBoxF1->setValue(1.0);
    inputgau(1.0);
    fillRow(lf1, {spinBoxF1, new QLabel("[0.01,5.0]"), butF1});
    gaussfiltration->setLayout(lf1);

    // Rotation: the toolkit's default single step of 1
    lg1 = new QHBoxLayout;
    spinBoxG1 = newDoubleSpinBox(-180.0, 180.0, "'");
    butG1 = new QPushButton("&Apply");
    spinBoxG1->setValue(0.0);
    inputrot(0.0);
    fillRow(lg1, {spinBoxG1, new QLabel("[-180',180']"), butG1});
    rotation->setLayout(lg1);

    // Zooming: row "Another" above row "Correct"; the two boxes mirror each other
    lg0 = new QVBoxLayout;
    lg2 = new QHBoxLayout;
    spinBoxG2 = newDoubleSpinBox(1.0, 10000.0, "%");
    spinBoxG2->setSingleStep(0.01);
    butG2 = new QPushButton("&Apply");
    inputzoo(100.0);
    fillRow(lg2, {new QLabel("Correct"), spinBoxG2, new QLabel("[1,10000]"), butG2});
    lg = new QHBoxLayout;
    spinBoxG = newDoubleSpinBox(1.0, 10000.0, "%");
    spinBoxG->setSingleStep(0.01);
    butG = new QPushButton("&Apply");
    mirrorZoomBox(spinBoxG2, spinBoxG);
    mirrorZoomBox(spinBoxG, spinBoxG2);
    spinBoxG2->setValue(100.0);
    fillRow(lg, {new QLabel("Another"), spinBoxG, new QLabel("[1,10000]"), butG});
    lg0->addLayout(lg);
    lg0->addLayout(lg2);
    zooming->setLayout(lg0);

    // Harshness
    lh = new QHBoxLayout;
    spinBoxH = newDoubleSpinBox(0.0, 3.0);
    spinBoxH->setSingleStep(0.01);
    butH = new QPushButton("&Apply");
    spinBoxH->setValue(0.0);
    inputsha(0.0);
    fillRow(lh, {spinBoxH, new QLabel("[0,3]"), butH});
    harshness->setLayout(lh);

    // Waves: the boxes allow up to 100 although their labels say 10
    lw0 = new QVBoxLayout;
    lw1 = new QHBoxLayout;
    lw2 = new QHBoxLayout;
    spinBoxW1 = newDoubleSpinBox(0.0, 100.0);
    spinBoxW1->setSingleStep(0.01);
    spinBoxW2 = newDoubleSpinBox(0.0, 100.0);
    spinBoxW2->setSingleStep(0.01);
    butW = new QPushButton("&Apply");
    spinBoxW1->setValue(0.0);
    inputwadl(0.0);
    spinBoxW2->setValue(0.0);
    inputwaam(0.0);
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

    mainLayout = new QVBoxLayout;
    mainLayout->setSizeConstraint(QLayout::SetMinimumSize);
    mainLayout->addWidget(labelIm);
    mainLayout->addWidget(tabWidget);
    window->setLayout(mainLayout);
    setCentralWidget(window);

    createActions();
    createMenus();
    createStatusBar();

    setUnifiedTitleAndToolBarOnMac(true);
}

MainWindow::~MainWindow()
{
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
    if (isModified && !maybeSave())
        return;

    QString fileName = QFileDialog::getOpenFileName(this);
    if (fileName.isEmpty())
        return;

    // Load into a pixmap of its own: the open document is replaced only once a
    // file has loaded, so a bad file or a cancelled retry keeps it as it was.
    QPixmap loaded;
    while (!loadPixmap(loaded, fileName)) {
        statusBar()->showMessage(tr("Image wasn't Opened!"), statusTimeout);
        showBox("Damn! File is incorrect!");
        fileName = QFileDialog::getOpenFileName(this);
        if (fileName.isEmpty())
            return;
    }

    if (isOpened) {
        delete image;
        delete curImage;
        labelIm->clear();
        isModified = false;
    }
    image = new QPixmap(loaded);
    isOpened = true;
    labelIm->setPixmap(*image);
    curFile = fileName;
    curImage = new QImage(image->toImage());
    fitLabelToImage();

    if (image->width() > widestOpenedImage) {
        inputzoo(76800.0 / image->width());
        zoom2();
    }

    koefp = 100.0;
    koefg = 0.0;
    spinBoxG2->setValue(100.0);
    spinBoxG1->setValue(0.0);

    repaint();
    statusBar()->showMessage(tr("Image was Opened"), statusTimeout);
}

bool MainWindow::saveIm()
{
    if (!isOpened) {
        showBox("Damn! You forgot to open Image!!!");
        statusBar()->showMessage(tr("Image wasn't Saved"), statusTimeout);
        return false;
    }
    if (curFile.isEmpty())
        return saveImAs();

    QString error;
    if (!writeImage(curFile, &error)) {
        showBox("Damn! Image wasn't Saved!", QString(), error);
        statusBar()->showMessage(tr("Image wasn't Saved"), statusTimeout);
        return false;
    }
    statusBar()->showMessage(tr("Image was Saved"), statusTimeout);
    isModified = false;
    return true;
}

bool MainWindow::saveImAs()
{
    if (!isOpened) {
        showBox("Damn! You forgot to open Image!!!");
        statusBar()->showMessage(tr("Image wasn't Saved Ass"), statusTimeout);
        return false;
    }
    const QString fileName = QFileDialog::getSaveFileName(this);
    if (fileName.isEmpty())
        return false;

    QString error;
    if (!writeImage(fileName, &error)) {
        showBox("Damn! Image wasn't Saved!", QString(), error);
        statusBar()->showMessage(tr("Image wasn't Saved Ass"), statusTimeout);
        return false;
    }
    statusBar()->showMessage(tr("Image was Saved Ass"), statusTimeout);
    isModified = false;
    return true;
}

// Writes the displayed pixmap in the format that the file name's suffix selects,
// at the writer's default quality. The data go to a temporary file that replaces
// the target only once it is complete, so a failed write leaves the old file as
// it was and no temporary file behind.
bool MainWindow::writeImage(const QString &fileName, QString *error)
{
    const QByteArray format = QFileInfo(fileName).suffix().toLower().toLatin1();
    QSaveFile file(fileName);
    QImageWriter writer(&file, format);
    if (!writer.write(image->toImage())) {
        *error = writer.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.flush() || !file.commit()) { // commit() misses a failure of its own final flush
        *error = file.errorString();
        return false;
    }
    return true;
}

void MainWindow::exit()
{
    if (isModified && !maybeSave())
        return;
    showBox("Thank you for using my Program)) Goodbye!!", "Exit");
    exitConfirmed = true;
    close();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (exitConfirmed || !isModified || maybeSave())
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

// The guard every effect starts with: with no image open, says so and refuses.
bool MainWindow::refuseWithoutImage()
{
    if (isOpened)
        return false;
    showBox("Damn! You forgot to open an Image!!!");
    statusBar()->showMessage(r, statusTimeout);
    return true;
}

// Rebuilds the display pixmap from the working image and shows it.
void MainWindow::showWorkingImage()
{
    image->convertFromImage(*curImage);
    labelIm->setPixmap(*image);
}

void MainWindow::fitLabelToImage()
{
    labelIm->setMinimumSize(std::min(curImage->width(), largestLabelSide),
                            std::min(curImage->height(), largestLabelSide));
}

void MainWindow::finishEffect(const QString &status)
{
    statusBar()->showMessage(status, statusTimeout);
    repaint();
}

// ---------------------------------------------------------------------------
// Effects

void MainWindow::zoom()
{
    if (refuseWithoutImage())
        return;
    const double koef = zoo;
    const QImage Temp = computeWaiting([&] { return effects::zoomAboutCentre(*curImage, koef, koefp); });
    isModified = true;
    koefp = koef;
    *curImage = Temp;
    showWorkingImage();
    finishEffect(tr("Image was Zoomed"));
}

void MainWindow::zoom2()
{
    if (refuseWithoutImage())
        return;
    const int koef = wholePercent(zoo);
    QImage Temp;
    if (effects::resampleAllowed(curImage->size(), koef))
        Temp = computeWaiting([&] { return effects::resample(*curImage, koef); });
    if (Temp.isNull()) {
        showBox("Damn! Image is too big or too small to Zoom!");
        statusBar()->showMessage(tr("Image wasn't Zoomed"), statusTimeout);
        return;
    }
    isModified = true;
    *curImage = Temp;
    showWorkingImage();
    fitLabelToImage();
    koefp = koef;
    finishEffect(tr("Zoomed2"));
}

void MainWindow::rotate()
{
    if (refuseWithoutImage())
        return;
    const double koef = rot;
    const QImage Temp = computeWaiting([&] { return effects::rotateAboutCentre(*curImage, koef, koefg); });
    isModified = true;
    *curImage = Temp;
    showWorkingImage();
    koefg = koef;
    finishEffect(tr("Image was Rotated"));
}

void MainWindow::gauss()
{
    if (refuseWithoutImage())
        return;
    const double sigma = gau;
    const int N = effects::gaussHalfWidth(sigma);
    QVector<double> wind = effects::gaussWindow(sigma);
    QImage Temp(curImage->size(), QImage::Format_RGB32);
    const int width = curImage->width();
    const int height = curImage->height();
    wash(&Temp, height, width, N, wind.data(), true);
    wash(&Temp, width, height, N, wind.data(), false);
    isModified = true;
    showWorkingImage();
    finishEffect(tr("Image was Gaussed"));
}

// One pass of the Gaussian blur: convolves the working image into Temp along its
// rows (a) or columns, then makes Temp the working image.
void MainWindow::wash(QImage *Temp, int koef1, int koef2, int N, double *wind, bool a)
{
    if (!curImage || !Temp || !wind)
        return;
    if (Temp->size() != curImage->size() || Temp->format() != QImage::Format_RGB32)
        *Temp = QImage(curImage->size(), QImage::Format_RGB32);
    WaitCursor wait;
    effects::wash(*curImage, *Temp, koef1, koef2, N, wind, a);
    *curImage = *Temp;
}

void MainWindow::median()
{
    if (refuseWithoutImage())
        return;
    const QImage Temp = computeWaiting([&] { return effects::median(*curImage, med); });
    isModified = true;
    *curImage = Temp;
    showWorkingImage();
    finishEffect(tr("Image was Medianed"));
}

void MainWindow::grayworld()
{
    if (refuseWithoutImage())
        return;
    const QImage Temp = computeWaiting([&] { return effects::grayWorld(*curImage); });
    isModified = true;
    *curImage = Temp;
    showWorkingImage();
    finishEffect(tr("Image was Gray Worlded"));
}

void MainWindow::harshnes()
{
    if (refuseWithoutImage())
        return;
    const double koef = sha;
    const QImage unsharpened = *curImage;
    inputgau(0.7);
    gauss();
    const QImage Temp = computeWaiting([&] { return effects::sharpen(unsharpened, *curImage, koef); });
    isModified = true;
    *curImage = Temp;
    showWorkingImage();
    finishEffect(tr("Image was Sharped"));
}

void MainWindow::waves()
{
    if (refuseWithoutImage())
        return;
    if (wadl == 0.0 || std::isnan(wadl)) {
        showBox("Damn! Wawe length can't be 0!");
        statusBar()->showMessage(tr("Image wasn't Waved"), statusTimeout);
        return;
    }
    const QImage Temp = computeWaiting([&] { return effects::waves(*curImage, wadl, waam); });
    isModified = true;
    *curImage = Temp;
    showWorkingImage();
    finishEffect(tr("Image was Waved"));
}

void MainWindow::linear()
{
    if (refuseWithoutImage())
        return;
    QImage Temp(curImage->size(), QImage::Format_RGB32);
    extension(&Temp, effects::StretchBrightness);
    isModified = true;
    showWorkingImage();
    fitLabelToImage();
    finishEffect(tr("Image was Lineal Extensioned"));
}

void MainWindow::inchannel()
{
    if (refuseWithoutImage())
        return;
    QImage Temp(curImage->size(), QImage::Format_RGB32);
    for (int i = effects::StretchBlue; i <= effects::StretchRed; ++i)
        extension(&Temp, i);
    isModified = true;
    showWorkingImage();
    fitLabelToImage();
    finishEffect(tr("Image was Channel Extensioned"));
}

// One contrast stretch of the working image into Temp (see effects::extension),
// which then becomes the working image.
void MainWindow::extension(QImage *Temp, int channels)
{
    if (!curImage || !Temp)
        return;
    if (Temp->size() != curImage->size() || Temp->format() != QImage::Format_RGB32)
        *Temp = QImage(curImage->size(), QImage::Format_RGB32);
    WaitCursor wait;
    effects::extension(*curImage, *Temp, channels);
    *curImage = *Temp;
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
