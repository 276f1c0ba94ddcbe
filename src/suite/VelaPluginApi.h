#pragma once
/* The interface between the suite's component registry and a component plugin: a shared library
 * that the registry loads from a file path, as the registration tool once registered a
 * component's library. Plain C with fixed-size types: a plugin includes this header and nothing
 * else of the component library, links Qt for the objects it creates, and depends on no symbol
 * of the component (which exports none of its internals).
 *
 * A plugin exports one function, found by name when it is loaded:
 *
 *     extern "C" int vela_register_components(const VelaPluginHost *host);
 *
 * It checks host->version and host->size, registers its components with
 * host->register_component and returns 0; anything else refuses the load. The library stays loaded
 * for the life of the process, so the functions it registers stay valid.
 *
 * Every text is UTF-8. Functions that write text into a caller's buffer always end it with a zero
 * byte when the buffer has room for one, cutting the text at a character boundary if need be.
 * Nothing passed through this interface throws.
 */
#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define VELA_PLUGIN_API_VERSION 1u

/* Creates one object of a component: a new QObject without a parent, owned by the caller from
 * then on, returned as void*; NULL when it could not be made. Callers reach its members by name
 * (properties and invokable methods), as the suite's components were always reached. */
typedef void *(*VelaCreateComponent)(void *context);

/* One row of a statement's result: `count` cells in column order, each the cell's text (NULL for
 * a NULL cell; an amount as its exact decimal text), with the column names in `names`. Returns 0
 * to go on with the next row, anything else to stop reading. */
typedef int (*VelaQueryRow)(
    void *context, int count, const char *const *names, const char *const *cells);

typedef struct VelaPluginHost {
    uint32_t version; /* VELA_PLUGIN_API_VERSION of the host */
    uint32_t size; /* sizeof(VelaPluginHost) in the host: members past it do not exist */
    void *registry; /* handed back to register_component */

    /* Registers a component under a programmatic name (case is not significant); a name already
     * registered is taken over. 0 on success. */
    int (*register_component)(
        void *registry, const char *prog_id, VelaCreateComponent create, void *context);

    /* Runs one statement, written in the suite's T-SQL, on a connection of its own to the
     * database that `connection_string` names (the OLE DB style text hosts pass as
     * OLEConnectionString) and hands every row to `row` (which may be NULL). 0 on success; else
     * nonzero, with a Persian text for the user saying what went wrong in `error`. */
    int (*query)(const char *connection_string, const char *sql, VelaQueryRow row, void *context,
        char *error, size_t error_size);

    /* Money: exact amounts as plain decimal text ("1450000000", "-12.5"). The sum of a and b,
     * also beyond the range of a single amount (for totals); 0 on success, nonzero when a or b is
     * not an amount. */
    int (*amount_add)(const char *a, const char *b, char *out, size_t out_size);
    /* An amount as the suite shows it: the whole digits grouped in threes with "/" (1/450/000/000,
     * 12/345.5). 0 on success, nonzero when the text is not an amount. */
    int (*amount_display)(const char *amount, char *out, size_t out_size);

    /* The suite's message box, for something that went wrong; returns when it is closed. */
    void (*show_message)(const char *title, const char *text);
} VelaPluginHost;

typedef int (*VelaRegisterComponents)(const VelaPluginHost *host);

#ifdef __cplusplus
}
#endif
