#ifndef GLIMMERIX_MAINWINDOW_H
#define GLIMMERIX_MAINWINDOW_H

#include "effecthistory.h"
#include "photometadata.h"
#include "pictureio.h"

#include <QColorSpace>
#include <QMainWindow>
#include <QPixmap>
#include <QSize>
#include <QString>

#include <functional>

class QAction;
class QCloseEvent;
class QDragEnterEvent;
class QDropEvent;
class QResizeEvent;
class QDoubleSpinBox;
class QHBoxLayout;
class QImage;
class QLabel;
class QMenu;
class QPushButton;
class QScrollArea;
class QSlider;
class QSpinBox;
class QTabWidget;
class QUndoStack;
class QVBoxLayout;
class QWidget;
class LongWork;

// The editor's one window: the image above a tab widget of effect parameters,
// the File, Edit and Effects menus, and the document (working image, display
// pixmap, file name and flags). Every command runs to its end (or its Cancel)
// inside one slot; long work runs off the GUI thread meanwhile (see LongWork).
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    MainWindow();
    ~MainWindow() override;

    // Opens a file named from outside the editor (the command line), as Open
    // does once a file is chosen; a file that does not load is told in a box.
    void openFromOutside(const QString &fileName);

protected:
    // Closing through the window frame asks about unsaved changes, as Exit does.
    void closeEvent(QCloseEvent *event) override;
    // Remembers a size that the user gave the window by hand.
    void resizeEvent(QResizeEvent *event) override;
    // A local image file dropped on the window opens as Open would open it.
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private slots:
    void openIm();
    bool saveIm();
    bool saveImAs();
    void exit();
    void zoom();
    void zoom2();
    void rotate();
    void gauss();
    void median();
    void grayworld();
    void harshnes();
    void waves();
    void wash(QImage *, int, int, int, double *, bool);
    void linear();
    void inchannel();
    void extension(QImage *Temp, int channels);
    void inputmed(int);
    void inputgau(double);
    void inputsha(double);
    void inputzoo(double);
    void inputrot(double);
    void inputwaam(double);
    void inputwadl(double);
    void historyCleanChanged(bool clean);

private:
    void createActions();
    void createMenus();
    void createStatusBar();
    bool maybeSave();
    pictureio::Outcome openNamedFile(const QString &fileName);

    // A picture file as read, before it becomes the document.
    struct LoadedPicture
    {
        QPixmap pixmap;
        QColorSpace colorSpace;
        PhotoMetadata metadata;
    };
    pictureio::Outcome loadPicture(LongWork &work, const QString &fileName, LoadedPicture &loaded,
                                   QString *error);
    bool adoptPicture(LongWork &work, const QString &fileName, const LoadedPicture &loaded);

    // Which file a name stands for: Save writes only to the file it last read or wrote.
    // Its device and inode, and its size and modification time, which tell a new
    // file apart from a removed one whose inode it was given.
    struct FileIdentity
    {
        bool known = false;
        quint64 device = 0;
        quint64 inode = 0;
        qint64 size = 0;
        qint64 modifiedSeconds = 0;
        qint64 modifiedNanoseconds = 0;
        bool operator==(const FileIdentity &other) const
        {
            return known && other.known && device == other.device && inode == other.inode
                   && size == other.size && modifiedSeconds == other.modifiedSeconds
                   && modifiedNanoseconds == other.modifiedNanoseconds;
        }
    };
    static FileIdentity identityOf(const QString &fileName);
    QString saveAsProposalInsteadOfSave() const;
    bool saveImAsProposing(const QString &proposal);
    void documentSavedAs(const QString &fileName);
    void showSaved(const QString &saved, const QString &metadataNote);

    // The effect frame shared by every effect command.
    class EffectCommand;
    bool refuseWithoutImage();
    bool computeForEffect(const std::function<void()> &computation);
    void markChanged();
    DocumentState documentState() const;
    void restoreDocumentState(const DocumentState &state);
    void commitWorkingImage(QImage &result);
    void keepColorSpace(QImage &picture) const;
    void showWorkingImage();
    void fitLabelToImage();
    void sizeLabelToImage();
    void commitEffect(QImage &result, const QString &status);
    void showEffectResult(const QString &status);
    pictureio::Outcome writeImage(const QString &fileName, QString *error, QString *metadataNote);

    // The window grows to show the whole picture, within the screen.
    void fitWindowToImage();
    QSize windowSizeShowingWholeImage() const;
    QSize screenRoomForWindow() const;

    friend class MainWindowProbe;

    QWidget *window;
    QTabWidget *tabWidget;
    QWidget *gaussfiltration;
    QWidget *medianfiltration;
    QWidget *zooming;
    QWidget *rotation;
    QWidget *harshness;
    QWidget *wave;
    QString curFile;
    QLabel *labelIm;
    QScrollArea *imageArea;
    bool isModified;
    bool isOpened;
    double consd = 0.0;
    double consd1 = 0.0;
    double gau;
    double sha;
    double rot;
    double zoo;
    double waam;
    double wadl;
    int med;
    double koefg = 0.0;
    double koefp = 100.0;
    QString r;
    QPixmap *image = nullptr;
    QImage *curImage = nullptr;
    QVBoxLayout *mainLayout;
    QSpinBox *spinBoxC2 = nullptr;
    QSlider *sliderC2 = nullptr;
    QHBoxLayout *lf1;
    QDoubleSpinBox *spinBoxF1;
    QPushButton *butF1;
    QSpinBox *spinBoxF2 = nullptr;
    QSlider *sliderF2 = nullptr;
    QHBoxLayout *lg1;
    QDoubleSpinBox *spinBoxG1;
    QPushButton *butG1;
    QHBoxLayout *lg2;
    QDoubleSpinBox *spinBoxG2;
    QPushButton *butG2;
    QVBoxLayout *lg0;
    QHBoxLayout *lg;
    QDoubleSpinBox *spinBoxG;
    QPushButton *butG;
    QHBoxLayout *lh;
    QDoubleSpinBox *spinBoxH;
    QPushButton *butH;
    QDoubleSpinBox *spinBoxW1;
    QPushButton *butW;
    QVBoxLayout *lw0;
    QHBoxLayout *lw1;
    QHBoxLayout *lw2;
    QDoubleSpinBox *spinBoxW2;
    QHBoxLayout *lm;
    QSpinBox *spinBoxM;
    QPushButton *butM;
    QMenu *fileMenu;
    QMenu *effectsMenu;
    QMenu *editMenu;
    QUndoStack *undoStack;
    QAction *undoAct;
    QAction *redoAct;
    QAction *newAct = nullptr;
    QAction *openImAct;
    QAction *saveImAct;
    QAction *saveImAsAct;
    QAction *exitAct;
    QAction *zoomAct;
    QAction *zoom2Act;
    QAction *rotationAct;
    QAction *gaussAct;
    QAction *linearAct;
    QAction *channelAct;
    QAction *harshnessAct;
    QAction *wavesAct;
    QAction *medianAct;
    QAction *grayworldAct;

    // Set by Exit once it has asked about unsaved changes, so that its own
    // closing of the window asks nothing more.
    bool exitConfirmed = false;

    // The outermost effect command running now (sharpening runs the blur inside
    // it), and whether it has changed the picture: it becomes one step of the history.
    EffectCommand *runningCommand = nullptr;
    bool effectChangedPicture = false;

    // The document is the file curFile reduced on opening: Save must not write
    // it over the original, so it asks for a name as Save As does.
    bool isReducedCopy = false;
    // The file that curFile stood for when it was opened or last saved.
    FileIdentity savedFile;
    // The opened file's colour profile and metadata, carried into every save.
    QColorSpace documentColorSpace;
    PhotoMetadata documentMetadata;

    // The window's size as last fitted to the picture, and the least size the
    // fitting keeps: the size at start, or the one the user gave it by hand.
    QSize fittedWindowSize;
    QSize leastWindowSize;
};

#endif
