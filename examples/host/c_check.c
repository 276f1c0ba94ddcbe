/* The C entry points, as a host that loads the library with dlopen() uses them; compiled as C,
 * which also shows that their header is plain C. */
#define _GNU_SOURCE /* RTLD_DEFAULT */
#include <dlfcn.h>
#include <host/velaAssetEstC.h>

int c_check_version(void)
{
    velaAssetEst_api_fn api = (velaAssetEst_api_fn)dlsym(RTLD_DEFAULT, "velaAssetEst_api");
    return api && api()->version == VELA_ASSET_EST_API_VERSION;
}
