// Frame time of the benchmark scene (256^3 rough block, about a million faces) in the GL view.
// Needs a display: run it under xvfb-run.
#include "Core/workspace.h"
#include "Model/Surfaces/shownsurfaces.h"
#include "UI/glwidget.h"
#include "surfacescene.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QOpenGLContext>
#include <QOpenGLFunctions>

#include <cstdio>

#include <sys/resource.h>

namespace {
double cpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec * 1e3 + usage.ru_utime.tv_usec / 1e3 + usage.ru_stime.tv_sec * 1e3 +
           usage.ru_stime.tv_usec / 1e3;
}
} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        std::printf("bench_surface_gl: no display; run it under xvfb-run -a\n");
        return 0;
    }
    BenchHome home;
    QApplication app(argc, argv);
    Core::Workspace workspace;
    auto volume = makeRoughBlock();
    volume->translate(Util::Vector4D(-128, -128, -64, 0));
    workspace.setShownSurfaces(std::make_shared<Model::Surfaces::ShownSurfaces>());
    workspace.regenerateSurface(volume);
    if (!qEnvironmentVariableIsSet("BENCH_EMPTY"))
        workspace.document().addObject(volume);

    Ui::GLWidget view(workspace);
    view.resize(800, 600);
    view.setZoom(2.0);
    // BENCH_SMALL: the same triangles on a few pixels, to tell per-triangle from per-pixel cost.
    if (qEnvironmentVariableIsSet("BENCH_SMALL")) {
        view.resize(100, 75);
        view.setZoom(0.25);
    }
    view.show();
    QCoreApplication::processEvents();
    view.frontBuffer(); // first frame: context set-up

    const int frames = 20;
    QElapsedTimer timer;
    timer.start();
    const double cpuStart = cpuMs();
    for (int i = 0; i < frames; ++i) {
        view.camera().rotate(2.0, QVector3D(0, 1, 0));
        view.frontBuffer();
    }
    const double ms = timer.nsecsElapsed() / 1e6 / frames;
    const double cpu = (cpuMs() - cpuStart) / frames;
    size_t quads = 0;
    for (unsigned f = 0; f < 6; ++f)
        quads += workspace.shownSurfaces()->of(volume)->drawnQuadCount(f);
    const char *renderer = "unknown";
    view.makeCurrent();
    if (auto *ctx = QOpenGLContext::currentContext())
        renderer = reinterpret_cast<const char *>(ctx->functions()->glGetString(GL_RENDERER));
    std::printf("bench_surface_gl: %zu opaque faces, 800 x 600, renderer %s\n",
                workspace.shownSurfaces()->of(volume)->opaqueFaceCount(), renderer);
    std::printf("merged mesh: %zu quads for all six directions (at most three are drawn per frame)\n", quads);
    std::printf(
        "frame time: %.1f ms (%.1f frames per second, target >= 10); CPU time of all threads %.1f ms per frame\n", ms,
        1000.0 / ms, cpu);
    view.doneCurrent();
    // An optional file name keeps the last frame for a look.
    if (argc > 1)
        view.saveImage(QString::fromLocal8Bit(argv[1]));
    return 0;
}
