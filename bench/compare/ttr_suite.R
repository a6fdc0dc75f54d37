# TTR's side of bench/compare: the suite's indicators through TTR's functions
# (C underneath), timed as a vectorised user must run them: the whole array
# for bulk, and the whole 10,000-bar array again after a tick or an append.
#   Rscript ttr_suite.R BARS_FILE BIG SMALL REPS
suppressMessages(library(TTR))
args <- commandArgs(trailingOnly = TRUE)
path <- args[1]; big <- as.integer(args[2]); small <- as.integer(args[3]); reps <- as.integer(args[4])
con <- file(path, "rb")
cols <- lapply(1:5, function(i) readBin(con, "double", n = big, size = 8, endian = "little"))
close(con)
names(cols) <- c("open", "high", "low", "close", "volume")

# One pass of the suite over bars 1..n; hl and hlc are matrices as TTR wants them.
suite <- function(h, l, c) {
  hlc <- cbind(h, l, c)
  out <- list()
  for (k in c(5, 10, 20, 60)) out[[length(out) + 1]] <- SMA(c, k)                    # ma
  out[[length(out) + 1]] <- MACD(c, 12, 26, 9, maType = "EMA", percent = FALSE)       # macd
  out[[length(out) + 1]] <- stoch(hlc, nFastK = 9, nFastD = 3, nSlowD = 3)            # kdj
  for (k in c(6, 12, 24)) out[[length(out) + 1]] <- RSI(c, k)                          # rsi (Wilder)
  out[[length(out) + 1]] <- BBands(c, 20, sd = 2)                                     # boll
  for (k in c(10, 6)) out[[length(out) + 1]] <- WPR(hlc, k)                            # wr
  out[[length(out) + 1]] <- CCI(hlc, 14)                                              # cci
  out[[length(out) + 1]] <- ATR(hlc, 14, maType = "SMA")                              # atr
  for (k in c(6, 12, 24)) { m <- SMA(c, k); out[[length(out) + 1]] <- (c - m) / m * 100 }  # bias
  r <- ROC(c, 12, type = "discrete") * 100; out[[length(out) + 1]] <- SMA(r, 6)        # roc
  out[[length(out) + 1]] <- TRIX(c, 12, 9, maType = "EMA")                            # trix
  d <- SMA(c, 10) - SMA(c, 50); out[[length(out) + 1]] <- SMA(d, 10)                  # dma
  out
}

cpu <- function(expr) { t <- proc.time(); force(expr); u <- proc.time() - t; u[["user.self"]] + u[["sys.self"]] }
h <- cols$high; l <- cols$low; c <- cols$close

bulk_big <- median(sapply(1:reps, function(i) cpu(suite(h, l, c))))
bulk_small <- median(sapply(1:max(reps, 11), function(i) cpu(suite(h[1:small], l[1:small], c[1:small]))))

# A tick: the newest close moves by 1.0001, 0.9999, ...; the whole array again.
hs <- h[1:small]; ls <- l[1:small]; cs <- c[1:small]; factor <- 1.0001
tick <- median(sapply(1:15, function(i) {
  cs[small] <<- cs[small] * factor; factor <<- 2 - factor
  hs[small] <<- max(hs[small], cs[small]); ls[small] <<- min(ls[small], cs[small])
  cpu(suite(hs, ls, cs))
}))
# An append: one more bar of the same walk; the whole array again.
append <- median(sapply(1:15, function(i) {
  m <- small + i
  cpu(suite(h[1:m], l[1:m], c[1:m]))
}))
cat(sprintf('{"bulk_big": %.9g, "bulk_small": %.9g, "tick": %.9g, "append": %.9g, "version": "%s"}\n',
            bulk_big, bulk_small, tick, append, as.character(packageVersion("TTR"))))
