/* Test driver for the C export of nrv-cli: linked with a file exported with
   --nombre red, it runs red_propagar over samples and compares every output,
   bit for bit, with the outputs nrv-cli aplicar wrote for the same samples
   (shortest decimal forms, which read back to the same doubles).

     comparar_c ENTRADAS ESPERADAS.csv
         ENTRADAS: one sample's inputs per line, separated by blanks
     comparar_c --escalar CRUDAS.csv ESCALADAS ESPERADAS.csv
         CRUDAS.csv: a table whose first ENTRADAS columns are the raw inputs;
         ESCALADAS: the inputs as nrv scaled them; each row goes through
         red_escalar (compared with ESCALADAS), then red_propagar, and the
         winning class name (red_clases) is compared with aplicar's.

   ENTRADAS and SALIDAS come as macros from the command line. Prints what
   differs; exits 1 if anything does. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

void red_propagar(const double *entradas, double *salidas);
unsigned red_ganadora(const double *salidas);
#ifdef CON_ESQUEMA
void red_escalar(const double *crudas, double *entradas);
extern const char *const red_clases[SALIDAS];
#endif

static int diferencias = 0;

static int iguales(double a, double b) { return memcmp(&a, &b, sizeof a) == 0; }

static void comparar(const char *que, unsigned muestra, unsigned k, double obtenido, double esperado) {
    if (iguales(obtenido, esperado))
        return;
    if (++diferencias <= 10)
        fprintf(stderr, "muestra %u, %s %u: %a en C, %a en nrv\n", muestra + 1, que, k, obtenido, esperado);
}

/* Splits a line at the separators; returns the number of fields. */
static unsigned campos(char *linea, const char *separadores, char **campo, unsigned max) {
    unsigned n = 0;
    char *p = strtok(linea, separadores);
    while (p != NULL && n < max) {
        campo[n++] = p;
        p = strtok(NULL, separadores);
    }
    return n;
}

/* The next data line of a file, or 0 at its end; skips the header of a
   CSV file once (saltar). */
static int leer(FILE *f, char *linea, size_t tam, int *saltar) {
    while (fgets(linea, (int)tam, f) != NULL) {
        linea[strcspn(linea, "\r\n")] = '\0';
        if (*saltar) {
            *saltar = 0;
            continue;
        }
        if (linea[0] != '\0')
            return 1;
    }
    return 0;
}

static FILE *abrir(const char *ruta) {
    FILE *f = fopen(ruta, "r");
    if (f == NULL) {
        fprintf(stderr, "no se puede abrir %s\n", ruta);
        exit(2);
    }
    return f;
}

int main(int argc, char **argv) {
    static char linea[1 << 16], otra[1 << 16], esperada[1 << 16];
    char *campo[4096];
    double entradas[ENTRADAS + 1], salidas[SALIDAS + 1];
    unsigned muestras = 0, j, k;
    int escalar = argc == 5 && strcmp(argv[1], "--escalar") == 0;
    FILE *fEntradas, *fEscaladas = NULL, *fEsperadas;
    int cabeceraEntradas, cabeceraEscaladas = 0, cabeceraEsperadas = 1;

    if (!escalar && argc != 3) {
        fprintf(stderr, "uso: comparar_c [--escalar CRUDAS.csv] ENTRADAS ESPERADAS.csv\n");
        return 2;
    }
    fEntradas = abrir(argv[escalar ? 2 : 1]);
    cabeceraEntradas = escalar;
    if (escalar)
        fEscaladas = abrir(argv[3]);
    fEsperadas = abrir(argv[escalar ? 4 : 2]);

    while (leer(fEntradas, linea, sizeof linea, &cabeceraEntradas)) {
        if (!leer(fEsperadas, esperada, sizeof esperada, &cabeceraEsperadas)) {
            fprintf(stderr, "faltan filas en las salidas esperadas\n");
            return 1;
        }
        if (campos(linea, escalar ? "," : " \t", campo, 4096) < ENTRADAS) {
            fprintf(stderr, "muestra %u: faltan entradas\n", muestras + 1);
            return 1;
        }
        for (j = 0; j < ENTRADAS; ++j)
            entradas[j] = strtod(campo[j], NULL);
#ifdef CON_ESQUEMA
        if (escalar) {
            double crudas[ENTRADAS + 1];
            memcpy(crudas, entradas, sizeof crudas);
            red_escalar(crudas, entradas);
            if (!leer(fEscaladas, otra, sizeof otra, &cabeceraEscaladas) ||
                campos(otra, " \t", campo, 4096) < ENTRADAS) {
                fprintf(stderr, "muestra %u: faltan entradas escaladas\n", muestras + 1);
                return 1;
            }
            for (j = 0; j < ENTRADAS; ++j)
                comparar("entrada escalada", muestras, j, entradas[j], strtod(campo[j], NULL));
        }
#endif
        red_propagar(entradas, salidas);
        /* aplicar's row: muestra, the outputs, ganadora[, objetivo, acierto]. */
        if (campos(esperada, ",", campo, 4096) < 1 + SALIDAS + 1) {
            fprintf(stderr, "muestra %u: faltan salidas esperadas\n", muestras + 1);
            return 1;
        }
        for (k = 0; k < SALIDAS; ++k)
            comparar("salida", muestras, k, salidas[k], strtod(campo[1 + k], NULL));
#ifdef CON_ESQUEMA
        if (escalar && strcmp(red_clases[red_ganadora(salidas)], campo[1 + SALIDAS]) != 0 && ++diferencias <= 10)
            fprintf(stderr, "muestra %u: clase %s en C, %s en nrv\n", muestras + 1, red_clases[red_ganadora(salidas)],
                    campo[1 + SALIDAS]);
#endif
        ++muestras;
    }
    if (leer(fEsperadas, esperada, sizeof esperada, &cabeceraEsperadas)) {
        fprintf(stderr, "sobran filas en las salidas esperadas\n");
        return 1;
    }
    (void)otra;
    (void)fEscaladas;
    (void)cabeceraEscaladas;
    printf("%u muestras, %u salidas cada una: %s\n", muestras, SALIDAS,
           diferencias ? "con diferencias" : "iguales bit a bit");
    return diferencias != 0 || muestras == 0;
}
