// FANN's twin of "nrv-cli entrenar", for whole-process comparisons (load,
// train, save, as a user waits): the same network shape, the same training
// (one sample at a time with momentum, logistic sigmoid on both layers,
// weights drawn in [-0.3, 0.3]), one line per epoch after measuring the
// verification file, and the network saved at the end.
//
//   fann-entrenar ENTRENAMIENTO.fann VERIFICACION.fann OCULTAS EPOCAS
//                 APRENDIZAJE MOMENTO RED.net
//
// The data files are FANN's own text format (datos-bench fann converts).
// On standard error it gives the wall time of the training alone (every
// epoch and its measuring, without loading or saving), in microseconds.
#include <doublefann.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  if (argc != 8) {
    std::fprintf(stderr,
                 "uso: fann-entrenar ENTRENAMIENTO.fann VERIFICACION.fann OCULTAS EPOCAS APRENDIZAJE MOMENTO "
                 "RED.net\n");
    return 2;
  }
  fann_train_data* entrenamiento = fann_read_train_from_file(argv[1]);
  fann_train_data* verificacion = fann_read_train_from_file(argv[2]);
  if (entrenamiento == nullptr || verificacion == nullptr) return 1;
  const unsigned ocultas = unsigned(std::atoi(argv[3]));
  const unsigned epocas = unsigned(std::atoi(argv[4]));
  fann* ann = fann_create_standard(3, fann_num_input_train_data(entrenamiento), ocultas,
                                   fann_num_output_train_data(entrenamiento));
  fann_set_activation_function_hidden(ann, FANN_SIGMOID);
  fann_set_activation_function_output(ann, FANN_SIGMOID);
  fann_set_activation_steepness_hidden(ann, 0.5);
  fann_set_activation_steepness_output(ann, 0.5);
  fann_set_training_algorithm(ann, FANN_TRAIN_INCREMENTAL);
  fann_set_train_error_function(ann, FANN_ERRORFUNC_LINEAR);
  fann_set_learning_rate(ann, float(std::atof(argv[5])));
  fann_set_learning_momentum(ann, float(std::atof(argv[6])));
  std::srand(1);
  fann_randomize_weights(ann, -0.3, 0.3);
  const auto inicio = std::chrono::steady_clock::now();
  for (unsigned e = 0; e < epocas; ++e) {
    fann_train_epoch(ann, entrenamiento);
    const float mse = fann_test_data(ann, verificacion);
    std::printf("   %2u \t %7.6f \t %u\n", e, double(mse), fann_get_bit_fail(ann));
  }
  const auto fin = std::chrono::steady_clock::now();
  std::fprintf(stderr, "entrenamiento: %lld us\n",
               static_cast<long long>(std::chrono::duration_cast<std::chrono::microseconds>(fin - inicio).count()));
  const int r = fann_save(ann, argv[7]);
  fann_destroy_train(entrenamiento);
  fann_destroy_train(verificacion);
  fann_destroy(ann);
  return r == 0 ? 0 : 1;
}
