/* Plain C entry points of the velaAssetEst control, for hosts that load the library with
 * dlopen() and look the functions up by name. The host must be a Qt Widgets program: a
 * QApplication exists before velaAssetEst_create() is called, and every call is made on its
 * thread.
 *
 *     void *lib = dlopen("libVelaAssetEstablishment.so.1", RTLD_NOW);
 *     velaAssetEst_api_fn api = (velaAssetEst_api_fn)dlsym(lib, "velaAssetEst_api");
 *     const VelaAssetEstApi *a = api();
 *     VelaAssetEstHandle *h = a->create(mainWindow);
 *     a->setUserID(h, 7);
 *     if (a->view(h, 42) != 0) fprintf(stderr, "%s\n", a->lastError(h));
 *
 * Calls that can fail return 0 on success and -1 on failure; lastError() then gives the
 * failure's description (UTF-8, valid until the next call on the handle). */
#ifndef VELA_ASSET_EST_C_H
#define VELA_ASSET_EST_C_H

#include "velaAssetEstExport.h"

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define VELA_ASSET_EST_API_VERSION 2 /* 2: printToPdf */

typedef struct VelaAssetEstHandle VelaAssetEstHandle;

/* parentWidget: a QWidget* of the host window, or NULL. NULL when no QApplication exists. */
VELA_ASSET_EST_EXPORT VelaAssetEstHandle *velaAssetEst_create(void *parentWidget);
VELA_ASSET_EST_EXPORT void velaAssetEst_destroy(VelaAssetEstHandle *h);
/* the control as a QWidget* */
VELA_ASSET_EST_EXPORT void *velaAssetEst_widget(VelaAssetEstHandle *h);

VELA_ASSET_EST_EXPORT int32_t velaAssetEst_userID(const VelaAssetEstHandle *h);
VELA_ASSET_EST_EXPORT void velaAssetEst_setUserID(VelaAssetEstHandle *h, int32_t value);
VELA_ASSET_EST_EXPORT int32_t velaAssetEst_positionID(const VelaAssetEstHandle *h);
VELA_ASSET_EST_EXPORT void velaAssetEst_setPositionID(VelaAssetEstHandle *h, int32_t value);
/* UTF-8; the returned text stays valid until the next call on the handle. */
VELA_ASSET_EST_EXPORT const char *velaAssetEst_connectionString(VelaAssetEstHandle *h);
VELA_ASSET_EST_EXPORT void velaAssetEst_setConnectionString(
    VelaAssetEstHandle *h, const char *utf8);

VELA_ASSET_EST_EXPORT int velaAssetEst_clearShow(VelaAssetEstHandle *h);
VELA_ASSET_EST_EXPORT int velaAssetEst_view(VelaAssetEstHandle *h, int32_t id);
/* Prints record id through the report template named templateName (UTF-8: its title or its file
 * name) into the PDF file pdfPath (UTF-8), showing no window. */
VELA_ASSET_EST_EXPORT int velaAssetEst_printToPdf(
    VelaAssetEstHandle *h, int32_t id, const char *templateName, const char *pdfPath);
VELA_ASSET_EST_EXPORT const char *velaAssetEst_lastError(VelaAssetEstHandle *h);

/* All of the above in one table, for a single dlsym(). */
typedef struct VelaAssetEstApi {
    int version; /* VELA_ASSET_EST_API_VERSION */
    VelaAssetEstHandle *(*create)(void *parentWidget);
    void (*destroy)(VelaAssetEstHandle *h);
    void *(*widget)(VelaAssetEstHandle *h);
    int32_t (*userID)(const VelaAssetEstHandle *h);
    void (*setUserID)(VelaAssetEstHandle *h, int32_t value);
    int32_t (*positionID)(const VelaAssetEstHandle *h);
    void (*setPositionID)(VelaAssetEstHandle *h, int32_t value);
    const char *(*connectionString)(VelaAssetEstHandle *h);
    void (*setConnectionString)(VelaAssetEstHandle *h, const char *utf8);
    int (*clearShow)(VelaAssetEstHandle *h);
    int (*view)(VelaAssetEstHandle *h, int32_t id);
    const char *(*lastError)(VelaAssetEstHandle *h);
    int (*printToPdf)(VelaAssetEstHandle *h, int32_t id, const char *templateName,
        const char *pdfPath); /* since version 2 */
} VelaAssetEstApi;

VELA_ASSET_EST_EXPORT const VelaAssetEstApi *velaAssetEst_api(void);
typedef const VelaAssetEstApi *(*velaAssetEst_api_fn)(void);

#ifdef __cplusplus
}
#endif

#endif /* VELA_ASSET_EST_C_H */
